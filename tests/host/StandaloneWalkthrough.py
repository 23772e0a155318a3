#!/usr/bin/env python3
"""A person's walk through the standalone app, driven only through X11 with xdotool on a virtual display:
choose a factory preset from the settings menu, turn the width knob, UNDO, save under a new name, change
something, reopen the saved preset from the menu, quit. Checks the preset file on disk and the state the
app saved when it quit. A screenshot of every step lands in the output folder.

usage: StandaloneWalkthrough.py APP OUTPUT_FOLDER
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

APP, OUT = sys.argv[1], sys.argv[2]
PRESET_NAME = "Walk Test"
ORANGE = (255, 53, 0)

os.makedirs(OUT, exist_ok=True)
home = tempfile.mkdtemp(prefix="wydenza-walk-")
env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))
passed, failed = 0, 0
step_number = 0


def check(condition, what):
    global passed, failed
    if condition:
        passed += 1
        print("ok:", what)
    else:
        failed += 1
        print("FAILED:", what)
    return condition


def run(*args):
    return subprocess.run(args, env=env, check=True, capture_output=True, text=True).stdout


def xdo(*args):
    return run("xdotool", *[str(a) for a in args])


def screenshot():
    """The whole screen as rows of (r, g, b) tuples, read from a binary PPM."""
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=env, check=True, capture_output=True).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height = int(header.group(1)), int(header.group(2))
    pixels = data[header.end():]
    return width, height, pixels


def save_step(name):
    global step_number
    step_number += 1
    path = os.path.join(OUT, "walk-%02d-%s.png" % (step_number, name))
    subprocess.run(["import", "-window", "root", path], env=env, check=True)


def find_editor():
    """The editor's bounds, from its orange top bar: the bar spans the whole width inside the outer frame."""
    width, height, pixels = screenshot()
    xs, ys = [], []
    for y in range(0, height, 2):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        start = row.find(bytes(ORANGE))
        while start != -1 and start % 3 != 0:
            start = row.find(bytes(ORANGE), start + 1)
        if start == -1:
            continue
        end = row.rfind(bytes(ORANGE))
        while end % 3 != 0:
            end = row.rfind(bytes(ORANGE), 0, end)
        xs += [start // 3, end // 3]
        ys.append(y)
    if not xs:
        return None
    left, right, top = min(xs), max(xs), min(ys)
    # The outer frame (0.02 H thick, centred on the edge) covers 0.01 H of the bar on each side.
    w = (right - left + 1) / (1.0 - 2 * 0.01 / 1.5)
    h = w / 1.5
    return left - 0.01 * h, top - 0.01 * h, w, h


def click_at(editor, fx, fy):
    x, y, w, h = editor
    xdo("mousemove", int(x + fx * w), int(y + fy * h))
    time.sleep(0.15)
    xdo("click", 1)
    time.sleep(0.5)


# The settings menu's rows from the top; "-" is a separator.
MENU_ROWS = ["Resize To Default", "-", "Factory Presets", "User Presets", "-", "Save Current Preset As ...",
             "Reveal User Presets Folder", "-", "Colour Scheme", "Show Signal Scope", "Show Info / Settings Screen", "-", "title"]
MENU_BORDER, SEPARATOR_HEIGHT = 2, 10


def menu_windows():
    """The open popup menu windows (the framework names them "menu"), oldest first, as (x, y, w, h)."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^menu$"], env=env, capture_output=True, text=True).stdout.split()
    windows = []
    for window in found:
        geometry = dict(re.findall(r"(\w+): (\S+)", xdo("getwindowgeometry", window)))
        x, y = (int(v) for v in geometry["Position"].split(","))
        w, h = (int(v) for v in geometry["Geometry"].split("x"))
        windows.append((x, y, w, h))
    return windows


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


# The server picks a free display number itself and writes it to the pipe once it is ready.
read_end, write_end = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                        pass_fds=[write_end], stderr=subprocess.DEVNULL)
os.close(write_end)
with os.fdopen(read_end) as display_number:
    env["DISPLAY"] = ":" + display_number.readline().strip()
app = None

try:
    app = subprocess.Popen([APP], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    editor = None
    for _ in range(60):
        time.sleep(0.5)
        editor = find_editor()
        if editor:
            break
    if not check(editor is not None, "the standalone app shows the editor"):
        raise SystemExit
    time.sleep(1.0)
    editor = find_editor()
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
    x, y, w, h = editor
    knob_x, knob_y = int(x + 0.5 * w), int(y + 0.85 * h)
    xdo("mousemove", knob_x, knob_y)
    time.sleep(0.2)
    xdo("mousedown", 1)
    for _ in range(10):
        xdo("mousemove_relative", "--", 0, 12)
        time.sleep(0.05)
    xdo("mouseup", 1)
    time.sleep(0.5)
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
    window = xdo("search", "--onlyvisible", "--name", "^Wydenza$").split()[0]
    geometry = dict(re.findall(r"(\w+): (\S+)", xdo("getwindowgeometry", window)))
    left, top = (int(v) for v in geometry["Position"].split(","))
    width = int(geometry["Geometry"].split("x")[0])
    xdo("mousemove", left + width - 17, top + 11)
    time.sleep(0.2)
    xdo("click", 1)
    try:
        app.wait(timeout=15)
    except subprocess.TimeoutExpired:
        app.kill()
    check(app.returncode == 0, "the app quits from its close button")

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
finally:
    if app and app.poll() is None:
        app.kill()
    xvfb.terminate()
    shutil.rmtree(home, ignore_errors=True)

print("%d passed, %d failed" % (passed, failed))
sys.exit(1 if failed else 0)
