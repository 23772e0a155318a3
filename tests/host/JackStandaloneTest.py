#!/usr/bin/env python3
"""The standalone app beside JACK. With no server it starts on ALSA's default device (here a file
plug-in over the null device, so the audio it plays is seen) with no error box, although its settings ask
for JACK; under a JACK dummy server it registers two inputs and two
outputs, and a tone into its left input comes out processed by the factory preset it was given (the
preset's state is taken from the built LV2 bundle); it quits from its close button both times.

usage: JackStandaloneTest.py APP LV2_BUNDLE
"""
import array
import math
import os
import re
import sys
import time

from host_session import Session

APP, BUNDLE = sys.argv[1], sys.argv[2]
PRESET = "TRACK Stereo 200%"  # width 200 %: a left-only x comes out as L = 1.5 x, R = -0.5 x
PORTS = ["Wydenza:in_1", "Wydenza:in_2", "Wydenza:out_1", "Wydenza:out_2"]


def preset_state(name):
    with open(os.path.join(BUNDLE, "presets.ttl")) as f:
        found = re.search(r'rdfs:label "%s" ;\s*state:state \[\s*<[^>]+> "([^"]+)"' % re.escape(name), f.read())
    return found.group(1)


def settings_path(s):
    return os.path.join(s.home, ".config", "Wydenza.settings")


def write_settings(s, state):
    with open(settings_path(s), "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<PROPERTIES><VALUE name="audioSetup"><DEVICESETUP '
                'deviceType="JACK" audioOutputDeviceName="system" audioInputDeviceName="system"/></VALUE>'
                '<VALUE name="shouldMuteInput" val="0"/><VALUE name="filterState" val="%s"/></PROPERTIES>\n' % state)


def run_app_until_closed(s, measure):
    app = s.start([APP])
    if s.check(s.wait_until(lambda: s.visible_windows("^Wydenza$"), 30), "the app opens its window"):
        time.sleep(1.0)
        measure()
        others = [w for w in s.visible_windows("") if w not in s.visible_windows("^Wydenza$")]
        s.check(not [s.xdo("getwindowname", w).strip() for w in others if s.xdo("getwindowname", w).strip()],
                "no other window (no error box) is open")
        x, y, w, h = s.window_geometry(s.visible_windows("^Wydenza$")[0])
        s.xdo("mousemove", x + w - 17, y + 11)
        time.sleep(0.2)
        s.xdo("click", 1)
    s.finish(app, 15, "the app quits from its close button")


def rms(samples):
    return math.sqrt(sum(v * v for v in samples) / max(1, len(samples)))


def measure_tone(s):
    s.check(s.wait_until(lambda: all(p in s.jack_ports() for p in PORTS), 15), "the app registers " + ", ".join(PORTS))
    tone = s.start(["jack_simple_client"])
    s.wait_until(lambda: "jack_simple_client:output1" in s.jack_ports(), 10)
    s.run("jack_connect", "jack_simple_client:output1", "Wydenza:in_1")
    recording = os.path.join(s.home, "recording.wav")
    s.run("jack_rec", "-f", recording, "-d", "1", "-b", "16", "jack_simple_client:output1", "Wydenza:out_1", "Wydenza:out_2")
    tone.terminate()
    with open(recording, "rb") as f:
        data = f.read()
    samples = array.array("h", data[data.index(b"data") + 8:])
    tone_in, left, right = samples[0::3], samples[1::3], samples[2::3]
    level = rms(tone_in)
    s.check(level > 1000, "the tone reaches the recording (RMS %.0f)" % level)
    if level > 1000:
        s.check(abs(rms(left) / level - 1.5) < 0.02, "left output = 1.5 x input (%.3f)" % (rms(left) / level))
        s.check(abs(rms(right) / level - 0.5) < 0.02, "right output = 0.5 x input (%.3f)" % (rms(right) / level))
        correlation = sum(a * b for a, b in zip(left, right)) / (len(left) * rms(left) * rms(right) or 1)
        s.check(correlation < -0.99, "right output in opposite polarity to the left (correlation %.3f)" % correlation)


s = Session("jack")
try:
    s.start_display()
    # ALSA's default device on any machine: the null device, with what is played written to a file.
    played = os.path.join(s.home, "alsa-played.raw")
    with open(os.path.join(s.home, ".asoundrc"), "w") as f:
        f.write('pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n' % played)

    write_settings(s, preset_state(PRESET))
    run_app_until_closed(s, lambda: s.check(s.wait_until(lambda: os.path.exists(played) and os.path.getsize(played) > 48000, 10),
                                            "with no JACK server the app plays through ALSA's default device"))

    if s.start_jack():
        write_settings(s, preset_state(PRESET))
        run_app_until_closed(s, lambda: measure_tone(s))
except Exception as error:
    s.check(False, "the test runs to its end: %r" % error)
finally:
    sys.exit(s.close())
