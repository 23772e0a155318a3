#!/usr/bin/env python3
"""Wydenza's LV2 editor in a host that is not ours: jalv.gtk3 on a virtual display with a JACK dummy
server. Clicks SWAP L-R and drags STEREO WIDTH down with xdotool; a preset saved from jalv's Presets menu
must then hold both changes in the host's own port values (jalv learns them only when the editor hands
them over); quitting jalv from its File menu must end it with status 0.

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
    jalv = s.start(["jalv.gtk3", "--exact-jack-name", "--jack-name", name, "urn:zelvora:wydenza"])
    s.wait_until(lambda: s.find_editor() is not None, 30)
    editor = s.find_editor()
    if s.check(editor is not None, "jalv.gtk3 shows the editor"):
        s.check(name + ":audio_in_1" in s.jack_ports(), "jalv runs the plug-in as a JACK client")
        s.click_at(editor, 0.16 + 0.09 / 1.5, 0.19 + 0.035)  # SWAP L-R
        s.drag_down(editor, 0.5, 0.85)  # STEREO WIDTH
        time.sleep(0.5)
        save_preset(editor, "probe")
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
    saved = [os.path.join(root, f) for root, _, files in os.walk(s.home) for f in files if f == "probe.ttl"]
    values = {}
    if s.check(saved, "jalv saves a preset"):
        with open(saved[0]) as preset:
            values = {k: float(v) for k, v in re.findall(r'lv2:symbol "(\w+)" ;\s*pset:value ([-0-9.e]+)', preset.read())}
    s.check(values.get("SwapLR") == 1.0, "the host holds SWAP L-R on (%s)" % values.get("SwapLR"))
    s.check(values.get("StereoWidth", 1.0) < 0.3, "the host holds STEREO WIDTH dragged down from 100 %% to %.0f %%" % (200 * values.get("StereoWidth", 0)))
    s.check(values.get("Pan") == 0.5, "the host holds the untouched PAN at its default")


def save_preset(editor, name):
    """Presets > Save Preset..., the name typed into the dialog, Return."""
    s.xdo("mousemove", int(editor[0]) + 60, int(editor[1]) - 12)
    s.xdo("click", 1)
    time.sleep(0.8)
    menus = [s.window_geometry(m) for m in s.visible_windows("")]
    menus = [(x, y, w, h) for x, y, w, h in menus if w > 50 and h < 600 and y > 10 and w < 400]
    if not s.check(menus, "jalv's Presets menu opens"):
        return
    x, y, w, h = menus[-1]
    s.xdo("mousemove", x + w // 3, y + 14)
    time.sleep(0.3)
    s.xdo("click", 1)
    s.wait_until(lambda: s.visible_windows("Save Preset"), 10)
    dialogs = s.visible_windows("Save Preset")
    if not s.check(dialogs, "the Save Preset dialog opens"):
        return
    time.sleep(1.0)  # the file chooser fills itself in after it is mapped
    # No window manager gives the dialog the keyboard: it is given by hand, then the name field clicked.
    dx, dy, dw, dh = s.window_geometry(dialogs[-1])
    s.xdo("windowfocus", dialogs[-1])
    s.xdo("mousemove", dx + dw // 2, dy + 27)
    s.xdo("click", 1)
    time.sleep(0.3)
    s.xdo("type", name)
    time.sleep(0.5)  # the Save button becomes active once the chooser has seen the name
    s.xdo("key", "Return")
    s.wait_until(lambda: not s.visible_windows("Save Preset"), 10)
    time.sleep(0.5)


s.run_test(test)
