"""Wydenza's LV2 editor in the GUI of Debian 12's Ardour 7.3, on a virtual display with a JACK dummy server,
with the LV2 bundle installed twice (a user and a system folder, as after a build and the package). A
session made headless holds Wydenza on a stereo track. Ardour opens it; the mixer's double-click opens
the plug-in window, which must show either the editor or, when Ardour paired the two copies, the
message instead; SWAP L-R clicked in the editor must reach Ardour's own control (read from the saved
session); "Edit with generic controls" must not crash Ardour, and Ardour must quit with status 0.

usage: ArdourGuiTest.py LV2_BUNDLE"""
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from host_session import Session  # noqa: E402

LUA_DRIVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ArdourPresets.lua")
# Ardour's own first-run wizard is skipped by its marker file; the engine is JACK, as the session's.
ENGINE_CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<Ardour><Extra><AudioMIDISetup><EngineStates>
<State backend="JACK" driver="" device="" input-device="" output-device="" sample-rate="48000" buffer-size="1024"
 n-periods="1" input-latency="0" output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0"
 midi-option="" lru="1"><MIDIDevices/></State>
</EngineStates></AudioMIDISetup></Extra></Ardour>
"""
# Where Ardour 7.3 draws, on a 1920x1080 screen without a window manager (its main window at 0,0).
MIXER_BUTTON = (1326, 72)
WYDENZA_IN_STRIP = (330, 206)
GENERIC_CONTROLS_ITEM = (420, 250)

s = Session("ardour-gui")


def controllable(session_file, name):
    found = re.search(r'<Controllable name="%s" [^>]*value="([^"]+)"' % name, open(session_file).read())
    return float(found.group(1)) if found else None


def start_ardour(folder, attempts=10):
    """Ardour 7.3 with JACK 1.9.21 at times garbles its own JACK requests while it opens a session (its
    port-naming thread and another thread write to the server at once; seen with Ardour's own plug-ins
    too), and the server then drops it. Such a start is retried with a fresh server."""
    for attempt in range(1, attempts + 1):
        log_path = os.path.join(s.home, "ardour-%d.log" % attempt)
        jack = s.start_jack()
        if jack is None:
            return None
        with open(log_path, "w") as log:
            ardour = s.start(["ardour", "-n", "-a", folder], stdout=log, stderr=subprocess.STDOUT)
        opened = s.wait_until(lambda: s.visible_windows("gui - Ardour") or ardour.poll() is not None, 90)
        time.sleep(4)
        if opened and ardour.poll() is None and "JACK HALTED" not in open(log_path, errors="replace").read():
            print("Ardour runs on JACK (start %d)" % attempt)
            return ardour
        ardour.kill()
        ardour.wait()
        stop(jack)
    return None


def stop(process):
    process.terminate()
    process.wait()


def test():
    s.start_display()
    user, system = os.path.join(s.home, ".lv2"), os.path.join(s.home, "system-lv2")
    for folder in (user, system):
        shutil.copytree(sys.argv[1], os.path.join(folder, "Wydenza.lv2"))
    config = os.path.join(s.home, ".config", "ardour7")
    os.makedirs(config)
    open(os.path.join(config, ".a7"), "w").close()
    open(os.path.join(config, "config"), "w").write(ENGINE_CONFIG)
    s.env.update(LV2_PATH=user + ":" + system, XDG_CACHE_HOME=os.path.join(s.home, ".cache"))

    folder = os.path.join(s.home, "sessions", "gui")
    server = s.start_jack()
    if server is None:
        return
    made = s.run("env", "BACKEND=JACK", "SESSION_DIR=" + folder, "SESSION_NAME=gui", "PLUGIN_TYPE=2",
                 "PLUGIN_ID=urn:zelvora:wydenza", "STEP=create", "ardour7-lua", LUA_DRIVER, timeout=120)
    if not s.check("CREATED" in made.stdout, "Ardour makes a session with the LV2 version on a stereo track"):
        return
    session_file = os.path.join(folder, "gui.ardour")
    stop(server)  # the server the session was made with; each start of Ardour gets its own

    ardour = start_ardour(folder)
    if not s.check(ardour is not None, "Ardour's GUI opens the session on JACK"):
        return
    s.xdo("mousemove", *MIXER_BUTTON)
    s.xdo("click", 1)
    time.sleep(2)
    s.xdo("mousemove", *WYDENZA_IN_STRIP)
    s.xdo("click", "--repeat", 2, "--delay", 80, 1)
    if not s.check(s.wait_until(lambda: s.visible_windows(r"Wydenza \(by ZELVORA\) \[LV2\]"), 20), "the plug-in window opens"):
        return
    time.sleep(2)
    editor = s.find_editor()
    if editor is not None:
        print("Ardour paired the plug-in with the editor of the same copy")
        s.click_at(editor, 0.16 + 0.09 / 1.5, 0.19 + 0.035)  # SWAP L-R
        time.sleep(1)
    else:
        print("Ardour paired the plug-in with the editor of the other copy")
    plugin_window = s.visible_windows(r"Wydenza \(by ZELVORA\) \[LV2\]")[0]
    s.check(ardour.poll() is None, "Ardour runs on with the plug-in window open")

    # Out of the way of the mixer strip, then Ardour's own controls instead of the plug-in's window.
    s.xdo("windowmove", plugin_window, 1000, 500)
    s.xdo("mousemove", *WYDENZA_IN_STRIP)
    s.xdo("click", 3)
    time.sleep(1)
    s.xdo("mousemove", *GENERIC_CONTROLS_ITEM)
    s.xdo("click", 1)
    time.sleep(3)
    s.check(ardour.poll() is None, "Ardour runs on after Edit with generic controls")

    s.xdo("mousemove", 800, 400)  # the mixer's empty middle takes the keyboard
    s.xdo("click", 1)
    s.xdo("key", "ctrl+s")
    time.sleep(2)
    s.xdo("key", "ctrl+q")
    s.finish(ardour, 30, "Ardour quits")
    if editor is not None:
        s.check(controllable(session_file, "SwapLR") == 1.0, "Ardour's control holds SWAP L-R switched on in the editor (%s)"
                % controllable(session_file, "SwapLR"))
    s.check(abs((controllable(session_file, "StereoWidth") or 0) - 0.9) < 1e-6, "the session keeps STEREO WIDTH at 0.9")


s.run_test(test)
