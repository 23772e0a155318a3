#!/usr/bin/env python3
"""Wydenza in Qtractor 0.9.31 (Debian 12), a JACK host that is not ours, from a fresh home folder under a
JACK dummy server and Xvfb. Qtractor's plug-in scanner, which fills its plug-in selector, must list the
VST 2.4 module as a stereo effect with an editor. For each format a session is written whose Master bus
monitors its input through Wydenza on its output chain (LV2 by URI from LV2_PATH, VST 2.4 by the
module's path), with STEREO WIDTH at 200 % among the stored parameter values; Qtractor opens it. A tone
patched into the bus's left input alone must come out at 1.5 x on the left and 0.5 x on the right in
opposite polarity (the width at 200 % on a source from one side), where the same session without the
plug-in passes it as it is. Qtractor's messages must tell of no failure, no warning or error box may
open, the plug-in's editor must open from Qtractor's mixer, and SIGTERM must end Qtractor with status 0
(a modified session would hold it in a save question). Each session with the plug-in is saved by
Qtractor (SIGUSR1) and opened again: the saved one holds the plug-in's own state and must sound, and
quit, the same. Where the kernel has no ALSA sequencer (Qtractor will not start its engine without one)
the empty stand-in built beside this test is preloaded.

usage: QtractorHostTest.py LV2_BUNDLE VST_MODULE SEQUENCER_STAND_IN
"""
import array
import glob
import math
import os
import re
import signal
import subprocess
import sys
import time

from host_session import Session

BUNDLE, VST_MODULE, STAND_IN = sys.argv[1:4]
URI = "urn:zelvora:wydenza"
s = Session("qtractor")
log_file = os.path.join(s.home, "qtractor.log")
BUS = ["Qtractor:Master/in_1", "Qtractor:Master/in_2", "Qtractor:Master/out_1", "Qtractor:Master/out_2"]

# The plug-in element of each round (type, what identifies it, the index of STEREO WIDTH among its
# parameters: the LV2 port index, the VST parameter number), and the gains then expected on the side
# the tone comes in and on the other.
ROUNDS = [("no plug-in", None, None, None, 1.0, 0.0),
          ("LV2", "LV2", URI, 10, 1.5, -0.5),
          ("VST 2.4", "VST", VST_MODULE, 1, 1.5, -0.5)]
CONFIG = """[Options]
Display\\ConfirmRemove=false
Display\\ConfirmArchive=false
Display\\StdoutCapture=false
Logging\\MessagesLog=true
Logging\\MessagesLogPath=%s
Audio\\MasterAutoConnect=false

[Geometry]
qtractorMixer\\visible=true

[AutoSave]
Enabled=false
"""
SESSION = """<!DOCTYPE qtractorSession>
<session name="wydenza" version="Qtractor 0.9.31">
 <properties><directory>%s</directory><sample-rate>48000</sample-rate></properties>
 <devices>
  <audio-engine>
   <audio-bus name="Master" mode="duplex">
    <monitor>true</monitor>
    <channels>2</channels>
    <auto-connect>false</auto-connect>
    <output-plugins>%s</output-plugins>
   </audio-bus>
  </audio-engine>
 </devices>
</session>
"""
PLUGIN = """
     <plugin type="%s">
      <filename>%s</filename>
      <index>0</index>
      <activated>true</activated>
      <params><param index="%d" name="StereoWidth">1</param></params>
     </plugin>"""


def rms(samples):
    return math.sqrt(sum(v * v for v in samples) / max(1, len(samples)))


def record_bus(what):
    """One second of the tone and the bus's two outputs, as 16-bit samples."""
    recording = os.path.join(s.home, "recording.wav")
    s.run("jack_rec", "-f", recording, "-d", "1", "-b", "16", "jack_simple_client:output1", BUS[2], BUS[3])
    with open(recording, "rb") as f:
        data = f.read()
    samples = array.array("h", data[data.index(b"data") + 8:])
    return samples[0::3], samples[1::3], samples[2::3]


def check_heard(what, same_gain, other_gain):
    tone, left, right = record_bus(what)
    if not s.check(rms(tone) > 1000, "%s: the tone reaches the recording (RMS %.0f)" % (what, rms(tone))):
        return
    s.check(abs(rms(left) / rms(tone) - same_gain) < 0.02, "%s: left output = %.1f x input (%.3f)" % (what, same_gain, rms(left) / rms(tone)))
    s.check(abs(rms(right) / rms(tone) - abs(other_gain)) < 0.02,
            "%s: right output = %.1f x input (%.3f)" % (what, abs(other_gain), rms(right) / rms(tone)))
    if other_gain:
        correlation = sum(a * b for a, b in zip(left, right)) / (len(left) * rms(left) * rms(right) or 1)
        s.check(correlation < -0.99, "%s: the outputs in opposite polarity (correlation %.3f)" % (what, correlation))


def open_editor(what):
    """A double click on the plug-in in the Master Out strip's list (in Qtractor's mixer, the second strip
    from the right, its first row) opens the editor."""
    mixers = s.visible_windows("^Mixer")
    if not s.check(mixers, "%s: Qtractor's mixer is open" % what):
        return
    x, y, w, h = s.window_geometry(mixers[-1])
    s.xdo("mousemove", x + w - 115, y + 46)
    time.sleep(0.3)
    s.xdo("click", "--repeat", 2, "--delay", 80, 1)
    s.check(s.wait_until(lambda: s.find_editor() is not None, 10) and s.visible_windows("^Wydenza - Master Out"),
            "%s: the editor opens in Qtractor's window for it" % what)


def open_and_hear(what, session_file, same_gain, other_gain, plugin=False, save=False):
    """Qtractor on the session: the tone heard through the bus, no failure told, the plug-in's editor
    opened, the session saved (SIGUSR1, its session manager's request) when asked, then Qtractor ended by
    SIGTERM. Whether it opened the session."""
    if os.path.exists(log_file):
        os.remove(log_file)
    qtractor = s.start(["qtractor", session_file])
    if not s.check(s.wait_until(lambda: all(p in s.jack_ports() for p in BUS), 20), "%s: Qtractor opens the session's Master bus" % what):
        s.finish(qtractor, 1, "Qtractor runs")
        return False
    s.wait_until(lambda: os.path.exists(log_file) and "Open session" in open(log_file).read(), 10)
    s.run("jack_connect", "jack_simple_client:output1", BUS[0])
    time.sleep(0.5)
    check_heard(what, same_gain, other_gain)
    titles = [s.xdo("getwindowname", w).strip() for w in s.visible_windows("")]
    s.check(not [t for t in titles if t and "Qtractor" in t and t.split()[0] in ("Warning", "Error")],
            "%s: no warning or error box opens (%s)" % (what, titles))
    with open(log_file) as f:
        messages = f.read()
    failures = [line for line in messages.splitlines() if "not found" in line or "rror" in line or "could not" in line]
    s.check("Session started" in messages and not failures, "%s: Qtractor's messages tell of no failure (%s)" % (what, failures))
    if plugin:
        open_editor(what)
    if save:
        before = os.path.getmtime(session_file)
        qtractor.send_signal(signal.SIGUSR1)
        s.check(s.wait_until(lambda: os.path.getmtime(session_file) != before, 10), "%s: Qtractor saves the session" % what)
        time.sleep(0.5)
    qtractor.terminate()
    s.finish(qtractor, 15, "%s: SIGTERM ends Qtractor, with no save-changes question" % what)
    return True


def run_round(what, kind, identity, width_index, same_gain, other_gain):
    """The written session, then (with the plug-in) the one Qtractor saved from it, which also holds the
    plug-in's own state (the LV2 state, the VST chunk), handed back to it at opening."""
    session_file = os.path.join(s.home, "wydenza.qtr")
    with open(session_file, "w") as f:
        f.write(SESSION % (s.home, PLUGIN % (kind, identity, width_index) if kind else ""))
    if open_and_hear(what, session_file, same_gain, other_gain, plugin=bool(kind), save=bool(kind)) and kind:
        with open(session_file) as f:
            saved = f.read()
        s.check(re.search(r"<config [^>]*>\s*[A-Za-z0-9+/=\s]{40,}</config>", saved), "%s: the saved session holds the plug-in's state" % what)
        open_and_hear(what + ", saved by Qtractor", session_file, same_gain, other_gain, plugin=True)


def check_vst_scan():
    """Qtractor's own scanner, which fills its plug-in selector, reads the VST 2.4 module as a stereo
    effect with an editor."""
    scanners = glob.glob("/usr/lib/*/qtractor/qtractor_plugin_scan")
    if s.check(scanners, "Qtractor's plug-in scanner is installed"):
        found = subprocess.run(scanners[:1], input="VST:%s\n" % VST_MODULE, env=s.env, capture_output=True, text=True, timeout=30).stdout
        fields = found.strip().split("|")
        s.check(fields[:3] == ["VST", "Wydenza", "2:2"] and len(fields) > 5 and "GUI" in fields[5].split(","),
                "the scanner lists Wydenza with 2 inputs, 2 outputs and an editor (%r)" % found.strip())


def test():
    if not os.path.exists("/dev/snd/seq"):
        s.env["LD_PRELOAD"] = STAND_IN
    s.env["LV2_PATH"] = os.path.dirname(BUNDLE)
    os.makedirs(os.path.join(s.home, ".config", "rncbc.org"))
    with open(os.path.join(s.home, ".config", "rncbc.org", "Qtractor.conf"), "w") as f:
        f.write(CONFIG % log_file)
    s.start_display()
    check_vst_scan()
    if not s.start_jack():
        return
    s.start(["jack_simple_client"])
    if s.check(s.wait_until(lambda: "jack_simple_client:output1" in s.jack_ports(), 10), "a tone runs on JACK"):
        for case in ROUNDS:
            run_round(*case)


s.run_test(test)
