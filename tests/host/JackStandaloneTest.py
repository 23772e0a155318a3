#!/usr/bin/env python3
"""The standalone app beside JACK and from a terminal. Without a display, --help, --version and a wrong
option are answered and the app alone says that it needs one. With no JACK server and settings that ask
for JACK it plays through ALSA's default device (here a file plug-in over the null device, so what it plays
is seen) with its input muted and the banner saying so. Under a JACK dummy server, from a clean home
folder: the app started on a factory preset leaves its inputs unconnected, its outputs on the playback
ports and its input unmuted; a tone patched into its left input alone, then into its right input alone,
comes out processed by that preset on its own side at once; a second and a third app (one named on its
command line) get client names of their own without touching the first one's connections. No error box,
no JACK server started, and every app quits from its close button.

usage: JackStandaloneTest.py APP LV2_BUNDLE
"""
import array
import math
import os
import re
import subprocess
import sys
import time

from host_session import Session

APP, BUNDLE = sys.argv[1], sys.argv[2]
PRESET = "TRACK Stereo 200%"  # width 200 %: a left-only x comes out as L = 1.5 x, R = -0.5 x
PORTS = ["Wydenza:in_1", "Wydenza:in_2", "Wydenza:out_1", "Wydenza:out_2"]
s = Session("jack")
settings_file = os.path.join(s.home, ".config", "Wydenza.settings")

# Arguments, the exit status and what the app prints (on standard output for status 0, else on standard error).
WITHOUT_DISPLAY = [
    (["--help"], 0, "Usage: wydenza [--preset NAME] [--jack-name NAME]\n  or:  wydenza --help"),
    (["--version"], 0, "wydenza 1."),
    (["--no-such-option"], 2, "wydenza: unknown option '--no-such-option'"),
    (["--jack-name"], 2, "wydenza: option '--jack-name' needs a value"),
    ([], 1, "wydenza: needs a display to open its window, and DISPLAY is not set"),
]
WITH_DISPLAY = [(["--preset", "No Such Preset"], 2, "wydenza: no factory or user preset is named 'No Such Preset'")]


def check_command_lines(cases):
    for args, status, text in cases:
        result = s.run(APP, *args)
        shown = result.stdout if status == 0 else result.stderr
        s.check(result.returncode == status and text in shown,
                "wydenza %s: status %d and %r (status %d, %r)" % (" ".join(args), status, text, result.returncode, shown[:200]))


def connections():
    """Each JACK port with the ports it is connected to."""
    found, port = {}, None
    for line in s.run("jack_lsp", "-c").stdout.splitlines():
        if line.startswith(" "):
            found[port].add(line.strip())
        else:
            port = line.strip()
            found[port] = set()
    return found


def feedback_banner_shown():
    """Whether the framework's pale yellow banner ("muted against feedback") is on screen."""
    screen = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=s.env, capture_output=True).stdout
    return b"\xfa\xfa\xd2" * 200 in screen


def close_all_windows(apps):
    for _ in apps:
        windows = s.visible_windows("^Wydenza")
        if windows:
            x, y, w, h = s.window_geometry(windows[-1])
            s.xdo("mousemove", x + w - 17, y + 11)
            s.xdo("click", 1)
            time.sleep(1.0)
    for app in apps:
        s.finish(app, 15, "the app quits from its close button")


def run_app_until_closed(args, measure):
    app = s.start([APP] + args)
    if s.check(s.wait_until(lambda: s.visible_windows("^Wydenza$"), 30), "the app opens its window"):
        time.sleep(1.0)
        apps = [app] + measure()
        named = [s.xdo("getwindowname", w).strip() for w in s.visible_windows("") if w not in s.visible_windows("^Wydenza")]
        s.check(not [name for name in named if name], "no other window (no error box) is open")
        close_all_windows(apps)
    else:
        s.finish(app, 1, "the app runs")


def rms(samples):
    return math.sqrt(sum(v * v for v in samples) / max(1, len(samples)))


def check_heard(port, side):
    """A tone patched into one input alone is heard on that side at 1.5 x and on the other at 0.5 x, in
    opposite polarity: the preset's width of 200 % on a source from one side only."""
    s.run("jack_connect", "jack_simple_client:output1", port)
    time.sleep(0.5)
    recording = os.path.join(s.home, "recording.wav")
    s.run("jack_rec", "-f", recording, "-d", "1", "-b", "16", "jack_simple_client:output1", "Wydenza:out_1", "Wydenza:out_2")
    with open(recording, "rb") as f:
        data = f.read()
    samples = array.array("h", data[data.index(b"data") + 8:])
    tone_in, left, right = samples[0::3], samples[1::3], samples[2::3]
    same, other = (left, right) if side == "left" else (right, left)
    if s.check(rms(tone_in) > 1000, "the tone patched into %s reaches the recording (RMS %.0f)" % (port, rms(tone_in))):
        s.check(abs(rms(same) / rms(tone_in) - 1.5) < 0.02, "%s output = 1.5 x input (%.3f)" % (side, rms(same) / rms(tone_in)))
        s.check(abs(rms(other) / rms(tone_in) - 0.5) < 0.02, "other output = 0.5 x input (%.3f)" % (rms(other) / rms(tone_in)))
        correlation = sum(a * b for a, b in zip(left, right)) / (len(left) * rms(left) * rms(right) or 1)
        s.check(correlation < -0.99, "the outputs in opposite polarity (correlation %.3f)" % correlation)


def measure_tone():
    s.check(s.wait_until(lambda: all(p in s.jack_ports() for p in PORTS), 15), "the app registers " + ", ".join(PORTS))
    at_start = connections()
    s.check(not at_start.get("Wydenza:in_1") and not at_start.get("Wydenza:in_2"), "the inputs start unconnected")
    s.check(at_start.get("Wydenza:out_1") == {"system:playback_1"} and at_start.get("Wydenza:out_2") == {"system:playback_2"},
            "the outputs start on the playback ports")
    s.check(not feedback_banner_shown(), "on JACK the input starts unmuted, with no banner")
    tone = s.start(["jack_simple_client"])
    s.wait_until(lambda: "jack_simple_client:output1" in s.jack_ports(), 10)
    check_heard("Wydenza:in_1", "left")
    s.run("jack_disconnect", "jack_simple_client:output1", "Wydenza:in_1")
    check_heard("Wydenza:in_2", "right")

    before = connections()
    others = [s.start([APP]), s.start([APP, "--jack-name", "Vocals"])]
    for client in ["Wydenza-01", "Vocals"]:
        ports = [client + ":" + p for p in ["in_1", "in_2", "out_1", "out_2"]]
        if s.check(s.wait_until(lambda: all(p in s.jack_ports() for p in ports), 15), "another app registers " + ", ".join(ports)):
            s.wait_until(lambda: connections().get(client + ":out_2"), 5)
            now = connections()
            s.check(not now[ports[0]] and not now[ports[1]] and now[ports[2]] == {"system:playback_1"} and now[ports[3]] == {"system:playback_2"},
                    "its inputs start unconnected and its outputs on the playback ports")
    now = connections()
    s.check(all(now.get(p) == before[p] for p in PORTS), "the first app's connections stay as they were")
    tone.terminate()
    return others


def test():
    s.env.pop("DISPLAY", None)
    check_command_lines(WITHOUT_DISPLAY)
    s.start_display()
    check_command_lines(WITH_DISPLAY)

    played = os.path.join(s.home, "alsa-played.raw")
    with open(os.path.join(s.home, ".asoundrc"), "w") as f:
        f.write('pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n' % played)
    with open(os.path.join(BUNDLE, "presets.ttl")) as f:
        # The preset's port values come between its label and its state.
        state = re.search(r'rdfs:label "%s" ;(?:(?!rdfs:label)[\s\S])*?state:state \[\s*<[^>]+> "([^"]+)"' % re.escape(PRESET), f.read()).group(1)
    with open(settings_file, "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<PROPERTIES><VALUE name="audioSetup"><DEVICESETUP deviceType="JACK" '
                'audioOutputDeviceName="system" audioInputDeviceName="system"/></VALUE><VALUE name="filterState" val="%s"/></PROPERTIES>\n' % state)

    def alsa_plays():
        s.check(s.wait_until(lambda: os.path.exists(played) and os.path.getsize(played) > 48000, 10),
                "with no JACK server the app plays through ALSA's default device")
        s.check(feedback_banner_shown(), "on ALSA the input starts muted, with the banner saying so")
        return []

    run_app_until_closed([], alsa_plays)
    os.remove(played)
    s.check(s.run("jack_wait", "--check").stdout.strip() == "not running", "the app started no JACK server")

    os.remove(settings_file)
    if s.start_jack():
        run_app_until_closed(["--preset", PRESET], measure_tone)


s.run_test(test)
