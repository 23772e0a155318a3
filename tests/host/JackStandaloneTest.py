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

Faults: SIGHUP, SIGTERM and SIGINT each end the app with status 0 and the state written, which the next
start (without --preset) plays; a JACK server stopped and started again under the same name gets the app
back, its outputs on the playback ports, its input where it was, and heard; while it is away the window
says so. An unreadable settings file is kept as Wydenza.settings.unreadable and a folder in its place is
reported, both in the window. With no desktop scale published through XSETTINGS the window's own parts
(title bar, banner) follow the X resource Xft.dpi, and WYDENZA_SCALE over both, while the panel keeps its
share of the screen.

usage: JackStandaloneTest.py APP LV2_BUNDLE
"""
import array
import math
import os
import re
import signal
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
    (["--preset", "Nope"], 2, "wydenza: no factory or user preset is named 'Nope'; the presets are:\n  Init\n"),
    (["--preset", "Nope"], 2, "\n  " + PRESET + "\n"),
    ([], 1, "wydenza: needs a display to open its window, and DISPLAY is not set"),
]
WITH_DISPLAY = [(["--preset", "No Such Preset"], 2, "wydenza: no factory or user preset is named 'No Such Preset'")]
# Signal and the preset the app is started on before it; the last one's state is heard at the next start.
SIGNALS = [(signal.SIGHUP, "MASTER SafeBass 80 Hz"), (signal.SIGTERM, "GROUP Stereo 150% + SafeBass"), (signal.SIGINT, PRESET)]
# WYDENZA_SCALE, the X resource Xft.dpi, the scale an XSETTINGS daemon publishes, and the scale then
# expected of the window's own parts: a published scale holds over Xft.dpi, WYDENZA_SCALE over both.
SCALES = [(None, None, None, 1.0), (None, 192, None, 2.0), ("1.5", 192, None, 1.5), (None, 96, 3, 3.0), ("1", 192, 3, 1.0)]
# What sits where the settings file goes, and what the app says in its window and on standard error.
SETTINGS_FAULTS = [("file", "<PROPERTIES><VALUE name=", "could not be read; kept as"),
                   ("folder", None, "cannot be written; the settings will not be saved")]


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


def banner_shown(colour=b"\xfa\xfa\xd2"):
    """Whether a banner is on screen: by default the framework's pale yellow one ("muted against
    feedback"), else the app's pale red notice of a fault."""
    screen = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=s.env, capture_output=True).stdout
    return colour * 200 in screen


def feedback_banner_shown():
    return banner_shown()


def notice_shown():
    return banner_shown(b"\xff\xe4\xe1")


def stored_state():
    try:
        with open(settings_file) as f:
            found = re.search(r'<VALUE name="filterState" val="([^"]*)"', f.read())
        return found.group(1) if found else None
    except OSError:
        return None


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


def quit_by_signals():
    """Each signal ends an app started on a preset in order: status 0 and the state written."""
    for number, preset in SIGNALS:
        before = stored_state()
        errors = os.path.join(s.home, "stderr.txt")
        with open(errors, "w") as f:
            app = s.start([APP, "--preset", preset], stderr=f)
        if s.check(s.wait_until(lambda: all(p in s.jack_ports() for p in PORTS), 30), "the app on %s registers its ports" % preset):
            time.sleep(1.0)
            app.send_signal(number)
            s.finish(app, 15, "%s ends the app in order" % signal.Signals(number).name)
            s.check(stored_state() not in (None, before), "%s: the state at quitting is written" % signal.Signals(number).name)
        else:
            s.finish(app, 1, "the app runs")
            with open(errors) as f:
                print(f.read())


def survive_server_restart(server):
    """The server stopped and started again: the window says it is away, then the app is back with its
    outputs on the playback ports, its left input on the capture port it had, and heard."""
    s.run("jack_connect", "system:capture_1", "Wydenza:in_1")
    time.sleep(0.5)
    server.terminate()
    server.wait()
    s.check(s.wait_until(notice_shown, 10), "while the JACK server is away the window says so")
    server = s.start_jack()
    if server is None:
        return None
    s.check(s.wait_until(lambda: connections().get("Wydenza:out_2") and connections().get("Wydenza:in_1"), 15),
            "the app is back on the restarted server")
    now = connections()
    s.check(now.get("Wydenza:out_1") == {"system:playback_1"} and now.get("Wydenza:out_2") == {"system:playback_2"},
            "its outputs are on the playback ports again (%s)" % now)
    s.check(now.get("Wydenza:in_1") == {"system:capture_1"} and not now.get("Wydenza:in_2"),
            "its left input is connected as before, its right input not (%s)" % now)
    s.check(s.wait_until(lambda: not notice_shown(), 5), "the window's notice is gone")
    s.run("jack_disconnect", "system:capture_1", "Wydenza:in_1")
    return server


def measure_tone():
    s.check(s.wait_until(lambda: all(p in s.jack_ports() for p in PORTS), 15), "the app registers " + ", ".join(PORTS))
    at_start = connections()
    s.check(not at_start.get("Wydenza:in_1") and not at_start.get("Wydenza:in_2"), "the inputs start unconnected")
    s.check(at_start.get("Wydenza:out_1") == {"system:playback_1"} and at_start.get("Wydenza:out_2") == {"system:playback_2"},
            "the outputs start on the playback ports")
    s.check(not feedback_banner_shown(), "on JACK the input starts unmuted, with no banner")
    server = survive_server_restart(servers[-1])
    if server is None:
        return []
    servers.append(server)
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


servers = []


def test():
    s.env.pop("DISPLAY", None)
    check_command_lines(WITHOUT_DISPLAY)
    s.start_display()
    # A client kept connected: the X server resets itself (and refuses clients for that moment) whenever its
    # last one leaves, and with it would go the resources set below.
    s.start(["xprop", "-root", "-spy", "RESOURCE_MANAGER"])
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

    for kind, content, says in SETTINGS_FAULTS:
        run_with_broken_settings(kind, content, says)
    check_scales()

    server = s.start_jack()
    if server:
        servers.append(server)
        quit_by_signals()
        # No preset asked for: what is heard is the state the last signal left.
        run_app_until_closed([], measure_tone)


def check_scales():
    """The height of the window's parts above the panel (title bar and feedback banner) at each scale,
    against the one at scale 1; the panel's height stays the same."""
    measured = {}
    for chosen, dpi, published, scale in SCALES:
        daemon = None
        if published:
            config = os.path.join(s.home, "xsettingsd.conf")
            with open(config, "w") as f:
                f.write("Gdk/WindowScalingFactor %d\n" % published)
            daemon = s.start(["xsettingsd", "-c", config])
            time.sleep(1.0)
        if dpi:
            s.run("xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER", "Xft.dpi:\t%d\n" % dpi)
        else:
            s.run("xprop", "-root", "-remove", "RESOURCE_MANAGER")
        s.env.pop("WYDENZA_SCALE", None)
        if chosen:
            s.env["WYDENZA_SCALE"] = chosen
        if os.path.exists(settings_file):
            os.remove(settings_file)
        app = s.start([APP])
        what = "WYDENZA_SCALE=%s, Xft.dpi %s, XSETTINGS scale %s" % (chosen, dpi, published)
        if s.check(s.wait_until(lambda: s.visible_windows("^Wydenza$"), 30), what + ": the app opens its window"):
            time.sleep(1.5)
            window, editor = s.window_geometry(s.visible_windows("^Wydenza$")[-1]), s.find_editor()
            if s.check(editor is not None, what + ": the panel is on screen"):
                measured[what] = (scale, editor[1] - window[1], editor[3])
            app.send_signal(signal.SIGTERM)
        s.finish(app, 15, what + ": the app quits")
        if daemon:
            daemon.terminate()
            daemon.wait()
    s.env.pop("WYDENZA_SCALE", None)
    s.run("xprop", "-root", "-remove", "RESOURCE_MANAGER")
    plain = next((m for m in measured.values() if m[0] == 1.0), None)
    for what, (scale, chrome, panel) in measured.items():
        if plain is not None and measured[what] is not plain:
            s.check(abs(chrome - scale * plain[1]) < 4, "%s: the title bar and banner are %.0f px high (%.0f at 1)" % (what, chrome, plain[1]))
            s.check(abs(panel - plain[2]) < 4, "%s: the panel is %.0f px high (%.0f at 1)" % (what, panel, plain[2]))


def run_with_broken_settings(kind, content, says):
    """The app with something unusable where its settings file goes: it runs, says so in its window and
    on standard error, and quits in order; a damaged file is kept beside, a folder left alone."""
    unreadable = settings_file + ".unreadable"
    if os.path.exists(settings_file):
        os.remove(settings_file)
    if kind == "folder":
        os.mkdir(settings_file)
    else:
        with open(settings_file, "w") as f:
            f.write(content)
    app = s.start([APP], stderr=subprocess.PIPE, text=True)
    if s.check(s.wait_until(lambda: s.visible_windows("^Wydenza$"), 30), "with a settings %s the app opens its window" % kind):
        s.check(s.wait_until(notice_shown, 5), "the window tells of the settings %s" % kind)
        close_all_windows([app])
    else:
        s.finish(app, 1, "the app runs")
    s.check(says in app.stderr.read(), "standard error says: " + says)
    if kind == "folder":
        s.check(os.path.isdir(settings_file), "the folder is left as it was")
        os.rmdir(settings_file)
    else:
        with open(unreadable) as f:
            s.check(f.read() == content, "the damaged file is kept as " + os.path.basename(unreadable))
        s.check(stored_state() is not None, "a new settings file is written at quitting")
        os.remove(unreadable)


s.run_test(test)
