#!/usr/bin/env python3
"""The standalone app beside JACK, started with settings that ask for JACK and hold a factory preset's
state (taken from the built LV2 bundle). With no server it plays through ALSA's default device (here a
file plug-in over the null device, so what it plays is seen); under a JACK dummy server it registers two
inputs and two outputs and a tone into its left input comes out processed by the preset. No error box
either time, it starts no JACK server, and it quits from its close button.

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
s = Session("jack")


def run_app_until_closed(measure):
    with open(os.path.join(BUNDLE, "presets.ttl")) as f:
        state = re.search(r'rdfs:label "%s" ;\s*state:state \[\s*<[^>]+> "([^"]+)"' % re.escape(PRESET), f.read()).group(1)
    with open(os.path.join(s.home, ".config", "Wydenza.settings"), "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<PROPERTIES><VALUE name="audioSetup"><DEVICESETUP deviceType="JACK" '
                'audioOutputDeviceName="system" audioInputDeviceName="system"/></VALUE><VALUE name="shouldMuteInput" val="0"/>'
                '<VALUE name="filterState" val="%s"/></PROPERTIES>\n' % state)
    app = s.start([APP])
    if s.check(s.wait_until(lambda: s.visible_windows("^Wydenza$"), 30), "the app opens its window"):
        time.sleep(1.0)
        measure()
        named = [s.xdo("getwindowname", w).strip() for w in s.visible_windows("") if w not in s.visible_windows("^Wydenza$")]
        s.check(not [name for name in named if name], "no other window (no error box) is open")
        x, y, w, h = s.window_geometry(s.visible_windows("^Wydenza$")[0])
        s.xdo("mousemove", x + w - 17, y + 11)
        s.xdo("click", 1)
    s.finish(app, 15, "the app quits from its close button")


def rms(samples):
    return math.sqrt(sum(v * v for v in samples) / max(1, len(samples)))


def measure_tone():
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
    if s.check(rms(tone_in) > 1000, "the tone reaches the recording (RMS %.0f)" % rms(tone_in)):
        s.check(abs(rms(left) / rms(tone_in) - 1.5) < 0.02, "left output = 1.5 x input (%.3f)" % (rms(left) / rms(tone_in)))
        s.check(abs(rms(right) / rms(tone_in) - 0.5) < 0.02, "right output = 0.5 x input (%.3f)" % (rms(right) / rms(tone_in)))
        correlation = sum(a * b for a, b in zip(left, right)) / (len(left) * rms(left) * rms(right) or 1)
        s.check(correlation < -0.99, "right output in opposite polarity to the left (correlation %.3f)" % correlation)


def test():
    s.start_display()
    played = os.path.join(s.home, "alsa-played.raw")
    with open(os.path.join(s.home, ".asoundrc"), "w") as f:
        f.write('pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n' % played)
    run_app_until_closed(lambda: s.check(s.wait_until(lambda: os.path.exists(played) and os.path.getsize(played) > 48000, 10),
                                         "with no JACK server the app plays through ALSA's default device"))
    s.check(s.run("jack_wait", "--check").stdout.strip() == "not running", "the app started no JACK server")
    if s.start_jack():
        run_app_until_closed(measure_tone)


s.run_test(test)
