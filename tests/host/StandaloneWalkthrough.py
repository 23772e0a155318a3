#!/usr/bin/env python3
"""A person's walk through the standalone app, driven only through X11 with xdotool on a virtual display:
choose a factory preset from the settings menu, turn the width knob, UNDO, save under a new name, change
something, reopen the saved preset from the menu, quit. Checks the preset file on disk and the state the
app saved when it quit. A screenshot of every step lands in the output folder.

usage: StandaloneWalkthrough.py APP OUTPUT_FOLDER
"""
import os
import sys
import time
import xml.etree.ElementTree as ET

from host_session import Session

APP, OUT = sys.argv[1], sys.argv[2]
PRESET_NAME = "Walk Test"

os.makedirs(OUT, exist_ok=True)
s = Session("walk")
home, check, xdo, click_at = s.home, s.check, s.xdo, s.click_at
step_number = 0


def save_step(name):
    global step_number
    step_number += 1
    s.run("import", "-window", "root", os.path.join(OUT, "walk-%02d-%s.png" % (step_number, name)))


# The settings menu's rows from the top; "-" is a separator.
MENU_ROWS = ["Resize To Default", "-", "Factory Presets", "User Presets", "-", "Save Current Preset As ...",
             "Reveal User Presets Folder", "-", "Colour Scheme", "Show Signal Scope", "Show Info / Settings Screen", "-", "title"]
MENU_BORDER, SEPARATOR_HEIGHT = 2, 10


def menu_windows():
    """The open popup menu windows (the framework names them "menu"), oldest first, as (x, y, w, h)."""
    return [s.window_geometry(window) for window in s.visible_windows("^menu$")]


def hover_menu_row(name):
    """Moves the pointer onto a row of the open settings menu, which opens its submenu."""
    x, y, w, h = menu_windows()[0]
    separators = MENU_ROWS.count("-")
    row_height = (h - 2 * MENU_BORDER - separators * SEPARATOR_HEIGHT) / (len(MENU_ROWS) - separators)
    top = y + MENU_BORDER
    for row in MENU_ROWS:
        if row == name:
            xdo("mousemove", x + w // 2, int(top + row_height / 2))
            time.sleep(0.8)
            return
        top += SEPARATOR_HEIGHT if row == "-" else row_height


def click_submenu_item(index):
    """Clicks an item of the submenu that is open: items of one height, no separators."""
    windows = menu_windows()
    check(len(windows) == 2, "the submenu opens")
    main_y = windows[0][1]
    x, y, w, h = windows[-1]
    row_height = (h - 2 * MENU_BORDER) / round((h - 2 * MENU_BORDER) / 35.0)
    target_y = int(y + MENU_BORDER + row_height * (index + 0.5))
    # Sideways along the row first, so that the pointer never crosses another row of the main menu.
    xdo("mousemove", x + w // 2, int(xdo("getmouselocation").split()[1].split(":")[1]))
    time.sleep(0.3)
    xdo("mousemove", x + w // 2, target_y)
    time.sleep(0.3)
    xdo("click", 1)
    time.sleep(0.6)


def keys(*names):
    for name in names:
        xdo("key", name)
        time.sleep(0.25)


def decode_juce_base64(text):
    """The framework's own base64 for memory blocks: "size.chars", six bits a char, lowest bits first."""
    table = ".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+"
    size, chars = text.split(".", 1)
    value = 0
    for i, c in enumerate(chars):
        value |= table.index(c) << (6 * i)
    return value.to_bytes(max(int(size), (6 * len(chars) + 7) // 8), "little")[: int(size)]


def walk():
    s.start_display()
    app = s.start([APP])
    if not check(s.wait_until(lambda: s.find_editor() is not None, 30), "the standalone app shows the editor"):
        return
    time.sleep(1.0)
    editor = s.find_editor()
    save_step("started")

    # Settings menu: Factory Presets, the fourth one ("TRACK Stereo 200%").
    click_at(editor, 0.9526667 + 0.0373333 / 2, 0.017 + 0.056 / 2)
    check(len(menu_windows()) == 1, "the settings button opens the menu")
    save_step("settings-menu")
    hover_menu_row("Factory Presets")
    save_step("factory-submenu")
    click_submenu_item(3)
    check(not menu_windows(), "choosing a preset closes the menu")
    save_step("factory-preset-chosen")

    # Turn the width knob down by dragging, then take it back with UNDO.
    s.drag_down(editor, 0.5, 0.85)
    save_step("width-turned")
    click_at(editor, 0.645 + 0.028 / 1.5, 0.017 + 0.028)
    save_step("undone")

    # SAVE, type a name over the selected one, Return.
    click_at(editor, 0.16 + 0.045 / 1.5, 0.097 + 0.02275)
    save_step("save-dialog")
    xdo("type", "--delay", "60", PRESET_NAME)
    keys("Return")
    save_step("saved")

    # Change something (MONO), then reopen the saved preset from the menu's User Presets.
    click_at(editor, 0.16 + 0.09 / 1.5, 0.46 + 0.035)
    save_step("mono-on")
    click_at(editor, 0.9526667 + 0.0373333 / 2, 0.017 + 0.056 / 2)
    hover_menu_row("User Presets")
    save_step("user-submenu")
    click_submenu_item(0)
    save_step("user-preset-reopened")

    preset_file = os.path.join(home, ".config", "ZELVORA", "Wydenza Presets", PRESET_NAME + ".q7p")
    check(os.path.isfile(preset_file) and os.path.getsize(preset_file) > 16, "the preset file is on disk: " + preset_file)

    # Quit with the close button at the right end of the window's title bar, which saves the app's state.
    left, top, width, _ = s.window_geometry(s.visible_windows("^Wydenza$")[0])
    xdo("mousemove", left + width - 17, top + 11)
    time.sleep(0.2)
    xdo("click", 1)
    s.finish(app, 15, "the app quits from its close button")

    settings = os.path.join(home, ".config", "Wydenza.settings")
    state = None
    if check(os.path.isfile(settings), "the app saved its settings on quitting"):
        for value in ET.parse(settings).getroot().iter("VALUE"):
            if value.get("name") == "filterState":
                chunk = decode_juce_base64(value.get("val"))
                state = ET.fromstring(chunk[8:].split(b"\0")[0].decode("utf-8"))
    if check(state is not None, "the saved state holds the plug-in's chunk"):
        check(state.get("programName") == PRESET_NAME, "the state names the reopened preset: %s" % state.get("programName"))
        check(abs(float(state.get("StereoWidth")) - 1.0) < 1e-6, "the width is the factory preset's, the drag undone: %s" % state.get("StereoWidth"))
        check(float(state.get("Mono")) == 0.0, "reopening the preset switched MONO off again")


s.run_test(walk)
