#!/usr/bin/env python3
"""Wydenza's LV2 editor in a host that is not ours: jalv.gtk3 on a virtual display with a JACK dummy
server. Clicks SWAP L-R and drags STEREO WIDTH down with xdotool; jalv's dump of the messages between
plug-in and editor must show the plug-in reporting both changes to the host; quitting jalv from its
menu must end it with status 0.

usage: JalvEditorTest.py LV2_FOLDER
"""
import os
import re
import subprocess
import sys
import time

from host_session import Session

s = Session("jalv")
try:
    s.start_display()
    if s.start_jack():
        s.env["LV2_PATH"] = sys.argv[1]
        name = s.env["JACK_DEFAULT_SERVER"] + "-host"
        # Line-buffered into a file, so the dump is complete whatever way jalv ends.
        dump_path = os.path.join(s.home, "jalv-dump.txt")
        with open(dump_path, "w") as dump_file:
            jalv = s.start(["stdbuf", "-oL", "jalv.gtk3", "--dump", "--exact-jack-name", "--jack-name", name, "urn:zelvora:wydenza"],
                           stdout=dump_file, stderr=subprocess.STDOUT)
        s.wait_until(lambda: s.find_editor() is not None, 30)
        editor = s.find_editor()
        if s.check(editor is not None, "jalv.gtk3 shows the editor"):
            s.check(name + ":audio_in_1" in s.jack_ports(), "jalv runs the plug-in as a JACK client")
            s.click_at(editor, 0.16 + 0.09 / 1.5, 0.19 + 0.035)  # SWAP L-R
            x, y, w, h = editor
            s.xdo("mousemove", int(x + 0.5 * w), int(y + 0.85 * h))  # STEREO WIDTH, dragged down
            time.sleep(0.2)
            s.xdo("mousedown", 1)
            for _ in range(10):
                s.xdo("mousemove_relative", "--", 0, 12)
                time.sleep(0.05)
            s.xdo("mouseup", 1)
            time.sleep(1.0)

            # The host's own File menu, then Quit below Save (first and second rows of the menu).
            s.xdo("mousemove", int(x) + 14, int(y) - 12)
            s.xdo("click", 1)
            time.sleep(0.8)
            menu = [m for m in s.visible_windows("") if s.window_geometry(m)[3] < 200 and s.window_geometry(m)[2] > 50]
            if s.check(menu, "jalv's File menu opens"):
                mx, my, mw, mh = s.window_geometry(menu[-1])
                s.xdo("mousemove", mx + mw // 3, my + mh * 3 // 4)
                time.sleep(0.3)
                s.xdo("click", 1)
        s.finish(jalv, 15, "jalv quits from its menu")
        with open(dump_path) as dump_file:
            dump = dump_file.read()
        sets = re.findall(r"## Plugin => UI.*?patch:property <urn:zelvora:wydenza:(\w+)> ;\s*patch:value \"([-0-9.e]+)\"", dump, re.S)
        s.check(("SwapLR", "1.0") in sets, "the plug-in reports SWAP L-R on to the host")
        widths = [float(v) for p, v in sets if p == "StereoWidth"]
        s.check(widths and min(widths) < 0.3 and all(a > b for a, b in zip(widths, widths[1:])),
                "the plug-in reports STEREO WIDTH falling from 100 %% to %.0f %%" % (200 * min(widths or [0])))
except Exception as error:
    s.check(False, "the test runs to its end: %r" % error)
finally:
    sys.exit(s.close())
