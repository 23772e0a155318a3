#!/usr/bin/env python3
"""Wydenza's LV2 editor in a host that is not ours: jalv.gtk3 on a virtual display with a JACK dummy
server. Clicks SWAP L-R and drags STEREO WIDTH down with xdotool; jalv's dump of the messages between
plug-in and editor must show the plug-in reporting both changes to the host; quitting jalv from its File
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


def test():
    s.start_display()
    if not s.start_jack():
        return
    s.env["LV2_PATH"] = sys.argv[1]
    name = s.env["JACK_DEFAULT_SERVER"] + "-host"
    dump_path = os.path.join(s.home, "jalv-dump.txt")
    with open(dump_path, "w") as dump_file:  # line-buffered, so the dump is complete however jalv ends
        jalv = s.start(["stdbuf", "-oL", "jalv.gtk3", "--dump", "--exact-jack-name", "--jack-name", name, "urn:zelvora:wydenza"],
                       stdout=dump_file, stderr=subprocess.STDOUT)
    s.wait_until(lambda: s.find_editor() is not None, 30)
    editor = s.find_editor()
    if s.check(editor is not None, "jalv.gtk3 shows the editor"):
        s.check(name + ":audio_in_1" in s.jack_ports(), "jalv runs the plug-in as a JACK client")
        s.click_at(editor, 0.16 + 0.09 / 1.5, 0.19 + 0.035)  # SWAP L-R
        s.drag_down(editor, 0.5, 0.85)  # STEREO WIDTH
        time.sleep(0.5)
        # jalv's menu bar sits right above the editor: File, then Quit, the lower of its two rows.
        s.xdo("mousemove", int(editor[0]) + 14, int(editor[1]) - 12)
        s.xdo("click", 1)
        time.sleep(0.8)
        menus = [s.window_geometry(m) for m in s.visible_windows("")]
        menus = [(x, y, w, h) for x, y, w, h in menus if w > 50 and h < 200]
        if s.check(menus, "jalv's File menu opens"):
            x, y, w, h = menus[-1]
            s.xdo("mousemove", x + w // 3, y + h * 3 // 4)
            time.sleep(0.3)
            s.xdo("click", 1)
    s.finish(jalv, 15, "jalv quits from its menu")
    with open(dump_path) as dump_file:
        sets = re.findall(r"## Plugin => UI.*?patch:property <urn:zelvora:wydenza:(\w+)> ;\s*patch:value \"([-0-9.e]+)\"", dump_file.read(), re.S)
    s.check(("SwapLR", "1.0") in sets, "the plug-in reports SWAP L-R on to the host")
    widths = [float(v) for p, v in sets if p == "StereoWidth"]
    s.check(widths and min(widths) < 0.3 and all(a > b for a, b in zip(widths, widths[1:])),
            "the plug-in reports STEREO WIDTH falling from 100 %% to %.0f %%" % (200 * min(widths or [0])))


s.run_test(test)
