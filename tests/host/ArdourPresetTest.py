"""Wydenza's presets in the DAW Debian 12 ships: Ardour 7.3, headless (ardour7-lua, dummy backend, its own
config and cache folders in a throw-away home). The plug-ins are laid out as the package installs them,
Ardour's out-of-process scanners index the VST3 and VST 2.4 ones first, as Ardour itself does, and then a
session with a stereo track loads Wydenza in LV2, VST3 and VST 2.4 in turn; the LV2 bundle is there twice,
in a user folder and a system folder, as after a build and the package. Ardour's controls must list the
17 parameters (VST 2.4, addressed by index, keeps its empty slots) at their defaults. Every preset Ardour
lists is applied through Ardour's preset API under a timeout (a frozen host is a failure, not a hung
test), and its values must reach Ardour's controls, and for LV2 also the plug-in's state in the saved
session, whose editor settings must survive a preset. A reopened session restores the values.

usage: ArdourPresetTest.py LV2_BUNDLE VST3_BUNDLE VST_SO PRESET_EXPORTER"""
import glob
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from host_session import Session  # noqa: E402

LUA_DRIVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ArdourPresets.lua")
ARDOUR_LIBS = "/usr/lib/ardour7"
BASE64 = ".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+"
STATE_MAGIC = 0x21324356
# The editor settings a saved project holds, set before any preset is applied.
EDITOR_SETTINGS = {"lastEditorHeight": "480", "colourSchemeBrightnessAsDouble": "0.9", "channelName": "Vocals",
                   "expertModeAsDouble": "1.0"}


def decode_state(text):
    """The framework's base-64 form ("size.chars", 6 bits per char, least significant bit first) of a state
    chunk (magic, length, XML) to the XML element."""
    size, chars = text.split(".", 1)
    bits = 0
    for i, c in enumerate(chars):
        bits |= BASE64.index(c) << (6 * i)
    data = (bits & ((1 << (8 * int(size))) - 1)).to_bytes(int(size), "little")
    if int.from_bytes(data[:4], "little") != STATE_MAGIC:
        raise ValueError("not a state chunk")
    return ElementTree.fromstring(data[8:8 + int.from_bytes(data[4:8], "little")].rstrip(b"\0"))


def encode_state(element):
    xml = ElementTree.tostring(element, encoding="utf-8") + b"\0"
    data = STATE_MAGIC.to_bytes(4, "little") + len(xml).to_bytes(4, "little") + xml
    bits = int.from_bytes(data, "little")
    chars = "".join(BASE64[(bits >> (6 * i)) & 63] for i in range((len(data) * 8 + 5) // 6))
    return "%d.%s" % (len(data), chars)


def same_setting(stored, expected):
    try:
        return abs(float(stored) - float(expected)) < 1e-6
    except (TypeError, ValueError):
        return stored == expected


STATE_STRING = re.compile(r'(<urn:zelvora:wydenza:StateString>\s+")([^"]+)(")')


class ArdourSession:
    def __init__(self, test, folder, plugin_type, plugin_id):
        self.test, self.folder, self.name = test, folder, os.path.basename(folder)
        self.env = dict(test.env, SESSION_DIR=folder, SESSION_NAME=self.name, PLUGIN_TYPE=str(plugin_type),
                        PLUGIN_ID=plugin_id)

    def step(self, step, seconds):
        """Runs the Lua driver; returns its fact lines and whether Ardour ended by itself in time."""
        process = subprocess.Popen(["ardour7-lua", LUA_DRIVER], env=dict(self.env, STEP=step), stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, text=True, start_new_session=True)
        try:
            output, _ = process.communicate(timeout=seconds)
            ended = True
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            output, _ = process.communicate()
            ended = False
        facts = [line.split("\t") for line in output.splitlines() if re.match(r"^[A-Z]+(\t|$)", line)]
        return facts, ended and ["DONE"] in facts

    def lv2_state_file(self, snapshot):
        """The plug-in's state in a snapshot of the session: Ardour names the folder in the snapshot."""
        found = re.search(r'<lv2 [^>]*state-dir="([^"]+)"', open(os.path.join(self.folder, snapshot + ".ardour")).read())
        files = glob.glob(os.path.join(self.folder, "plugins", "*", found.group(1), "state.ttl")) if found else []
        return files[0] if files else None

    def lv2_state(self, snapshot):
        path = self.lv2_state_file(snapshot)
        found = STATE_STRING.search(open(path).read()) if path else None
        return decode_state(found.group(2)) if found else None

    def set_lv2_editor_settings(self):
        """Writes editor settings into the saved state, as a project saved with a changed editor holds them."""
        path = self.lv2_state_file(self.name)
        text = open(path).read()
        state = decode_state(STATE_STRING.search(text).group(2))
        for key, value in EDITOR_SETTINGS.items():
            state.set(key, value)
        open(path, "w").write(STATE_STRING.sub(lambda m: m.group(1) + encode_state(state) + m.group(3), text))


def lay_out_plugins(test, lv2_bundle, vst3_bundle, vst_so):
    """The plug-ins where the package puts them, in folders of the test's own; the VST3 preset files go where
    the package puts them too, which no host searches."""
    root = os.path.join(test.home, "plugins")
    lv2, vst3, lxvst = (os.path.join(root, kind) for kind in ("lv2", "vst3", "vst"))
    user_lv2 = os.path.join(test.home, ".lv2")
    shutil.copytree(lv2_bundle, os.path.join(lv2, "Wydenza.lv2"))
    shutil.copytree(lv2_bundle, os.path.join(user_lv2, "Wydenza.lv2"))
    shutil.copytree(vst3_bundle, os.path.join(vst3, "Wydenza.vst3"))
    os.makedirs(lxvst)
    shutil.copy(vst_so, os.path.join(lxvst, "Wydenza.so"))
    # Ardour takes a scanner's cache only when it is strictly newer than the module, in whole seconds.
    past = time.time() - 120
    for path in glob.glob(os.path.join(root, "**"), recursive=True):
        os.utime(path, (past, past))
    test.env.update(LV2_PATH=user_lv2 + ":" + lv2, VST3_PATH=vst3, LXVST_PATH=lxvst, XDG_CACHE_HOME=os.path.join(test.home, ".cache"))
    return os.path.join(vst3, "Wydenza.vst3"), os.path.join(lxvst, "Wydenza.so")


def main():
    lv2_bundle, vst3_bundle, vst_so, exporter = sys.argv[1:5]
    test = Session("ardour")

    def body():
        vst3, vst2 = lay_out_plugins(test, lv2_bundle, vst3_bundle, vst_so)
        scan_env = dict(test.env, LD_LIBRARY_PATH=ARDOUR_LIBS)
        for scanner, module in (("ardour-vst3-scanner", vst3), ("ardour-vst-scanner", vst2)):
            scanned = subprocess.run([os.path.join(ARDOUR_LIBS, scanner), "-q", "-f", module], env=scan_env,
                                     capture_output=True, timeout=120)
            test.check(scanned.returncode == 0, "Ardour's %s indexes %s" % (scanner, os.path.basename(module)))

        factory = {p["name"]: p["values"] for p in json.loads(subprocess.run([exporter, "--values"], env=test.env,
                                                                            capture_output=True, text=True).stdout)}
        test.check(len(factory) == 14, "the plug-in's own code gives the 14 factory presets' values")

        # (format, Ardour's plugin type, id, the presets Ardour must list)
        formats = [("LV2", 2, "urn:zelvora:wydenza", sorted(factory)),
                   # No VST3 preset lies where Ardour 7.3 would load (and freeze on) it.
                   ("VST3", 7, "Wydenza", []),
                   # The one program, named after the current preset: choosing it keeps the current values.
                   ("VST 2.4", 4, "Wydenza", ["0 - Init"])]

        for label, plugin_type, plugin_id, expected_presets in formats:
            session = ArdourSession(test, os.path.join(test.home, "sessions", label.replace(" ", "").replace(".", "")),
                                    plugin_type, plugin_id)
            facts, ok = session.step("create", 120)
            if not test.check(ok and ["CREATED"] == [f[0] for f in facts if f[0] == "CREATED"],
                              "%s: Ardour makes a session with Wydenza on a stereo track" % label):
                continue
            # Besides the plug-in's own, each format has controls of its own for the host: LV2's freewheeling
            # and enabled ports (marked not for display) and the VST3 wrapper's host-bypass, listed last.
            listed = [f[1] for f in facts if f[0] == "DEFAULT"]
            own = [name for name in listed if name not in ("Free Wheeling", "Enabled")]
            own = own[:-1] if plugin_type == 7 and own[-1:] == ["Bypass"] else own
            expected_list = list(factory["Init"]) + (["reserved"] * 33 if plugin_type == 4 else [])
            test.check(own == expected_list, "%s: Ardour's controls list the plug-in's %d parameters%s"
                       % (label, len(expected_list), "" if own == expected_list else ": " + str(listed)))
            defaults = {f[1]: float(f[2]) for f in facts if f[0] == "DEFAULT"}
            wrong = {k: (defaults.get(k), v) for k, v in factory["Init"].items() if abs(defaults.get(k, -1.0) - v) > 1e-6}
            test.check(not wrong, "%s: Ardour's controls start at the defaults%s" % (label, " " + str(wrong) if wrong else ""))

            if plugin_type == 2:
                session.set_lv2_editor_settings()

            facts, ended = session.step("presets", 180)
            loading = [f for f in facts if f[0] == "LOADING"]
            test.check(ended, "%s: every preset loads and Ardour does not freeze (last: %s)"
                       % (label, loading[-1][2] if loading else "none"))
            test.check(sorted(f[2] for f in loading) == expected_presets,
                       "%s: Ardour lists %d presets: %s" % (label, len(expected_presets), [f[2] for f in loading]))
            test.check(all(f[2] == "true" for f in facts if f[0] == "LOADED"), "%s: Ardour reports each load a success" % label)

            for number, preset in ((f[1], f[2]) for f in loading):
                values = {}
                for fact in facts[facts.index(["LOADING", number, preset]):]:
                    if fact[0] == "VALUE":
                        values[fact[1]] = float(fact[2])
                    elif fact[0] == "LOADING" and fact[1] != number:
                        break

                if plugin_type == 2:
                    state = session.lv2_state("preset-" + number)
                    if not test.check(state is not None, "LV2 %s: the saved session holds the plug-in's state" % preset):
                        continue
                    in_state = {k: float(v) for k, v in state.attrib.items() if k in factory[preset]}
                    wrong = {k: (in_state.get(k), v) for k, v in factory[preset].items() if abs(in_state.get(k, -1.0) - v) > 1e-6}
                    test.check(not wrong, "LV2 %s: the preset's values reach the plug-in's state%s" % (preset, " " + str(wrong) if wrong else ""))
                    test.check(state.get("programName") == preset, "LV2 %s: the plug-in's preset is named so" % preset)
                    kept = {k: state.get(k) for k in EDITOR_SETTINGS}
                    test.check(all(same_setting(kept[k], v) for k, v in EDITOR_SETTINGS.items()),
                               "LV2 %s: the editor keeps its size, mode, scheme and channel name %s" % (preset, kept))
                    expected = factory[preset]
                else:
                    expected = dict(factory["Init"], StereoWidth=0.9)

                wrong = {k: (values.get(k), v) for k, v in expected.items() if abs(values.get(k, -1.0) - v) > 1e-6}
                test.check(not wrong, "%s %s: Ardour's controls show the preset's values%s" % (label, preset, " " + str(wrong) if wrong else ""))

            # A session opened again restores the plug-in through the host's state path (no preset lock).
            # It was saved after the last preset.
            expected = factory[loading[-1][2]] if plugin_type == 2 and loading else dict(factory["Init"], StereoWidth=0.9)
            facts, ended = session.step("values", 120)
            values = {f[1]: float(f[2]) for f in facts if f[0] == "VALUE"}
            wrong = {k: (values.get(k), v) for k, v in expected.items() if abs(values.get(k, -1.0) - v) > 1e-6}
            test.check(ended and not wrong, "%s: the reopened session restores the values%s" % (label, " " + str(wrong) if wrong else ""))

    test.run_test(body)


if __name__ == "__main__":
    main()
