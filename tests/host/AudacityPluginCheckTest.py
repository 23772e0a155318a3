"""Wydenza's LV2 version in Audacity 3.2.4, Debian 12's audio editor, started under Xvfb with a fresh home
as after installing the package: its check of new plug-ins must find Wydenza valid and enable it
(Audacity instantiates each new LV2 plug-in with the options it passes every plug-in). Started again,
driven through its scripting pipe as a person drives its menus, Audacity applies Wydenza to the renderer's
demo mix and exports it as 32-bit float: the samples must be exactly the renderer's for the same settings.
Audacity 3.2.4 gives an LV2 effect run by a script the settings its dialog last applied, so those are
written where the dialog keeps them.

Audacity is started in its home folder: Audacity 3.2.4 itself crashes at start when the folder it is
started in holds a folder named lv2, whatever that holds. The first Audacity is killed, so the second gets
a temporary folder of its own (else it offers to recover the first one's project).

usage: AudacityPluginCheckTest.py LV2_BUNDLE RENDERER"""
import base64
import datetime
import os
import re
import select
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from host_session import Session  # noqa: E402

SCRIPT_MODULE = "/usr/lib/audacity/modules/mod-script-pipe.so"
PIPES = ["/tmp/audacity_script_pipe.%s.%d" % (way, os.getuid()) for way in ("to", "from")]
# Wydenza's port values as the dialog stores them (width 150 %, safe bass on), and the renderer's
# settings for the same sound.
PORTS = {"Bypass": 0, "Enabled": 1, "Free_Wheeling": 0, "InputGain": 0.5, "Mono": 0, "MsMode": 0, "MuteAll": 0,
         "MuteMid": 0, "MuteSide": 0, "OutputGain": 0.5, "Pan": 0.5, "PanCurve": 0.1, "PanLaw": 0, "PanMode": 0.1,
         "PhaseFlip": 0, "SafeBass": 1, "SafeBassFreq": 0.286, "StereoWidth": 0.75, "SwapLR": 0}
RENDERER_SETTINGS = ["--set", "StereoWidth=150", "--set", "SafeBass=on"]


def write_scripting_settings(home):
    """Audacity's settings for the scripted start: no welcome screen, the scripting module on, WAV export
    as 32-bit float, and Wydenza's values where its dialog keeps them."""
    folder = os.path.join(home, ".config", "audacity")
    stamp = datetime.datetime.fromtimestamp(os.stat(SCRIPT_MODULE).st_mtime).strftime("%Y-%m-%dT%H:%M:%S")
    with open(os.path.join(folder, "audacity.cfg"), "w") as f:
        f.write("[Version]\nMajor=3\nMinor=2\nMicro=4\n[GUI]\nShowSplashScreen=0\n[Directories]\nTempDir=%s\n"
                "[Module]\nmod-script-pipe=1\n[ModulePath]\nmod-script-pipe=%s\n[ModuleDateTime]\nmod-script-pipe=%s\n"
                "[FileFormats]\nExportFormat_SF1=65542\n[FileFormats/ExportFormat_SF1_Type]\nWAV_10000=6\n"
                % (os.path.join(home, "scripted-temp"), SCRIPT_MODULE, stamp))
    group = "pluginsettings/base64\\:" + base64.b64encode(b"Effect_LV2_ZELVORA_Wydenza").decode().replace("=", "\\=")
    values = " ".join('%s="%s"' % item for item in sorted(PORTS.items()))
    with open(os.path.join(folder, "pluginsettings.cfg"), "w") as f:
        f.write("pluginsettingsversion=1.0\n")
        for kind, extra in (("FactoryDefaults", "Initialized=1\n"), ("CurrentSettings", "")):
            f.write("[%s/private/%s]\nParameters=%s\n%s" % (group, kind, values, extra))


def script(commands, seconds):
    """Sends each command through Audacity's scripting pipe; the status line of each answer, or what went
    wrong, all within the time given."""
    deadline = time.monotonic() + seconds
    while True:
        # Opened without waiting, so that a pipe nobody reads yet is tried again.
        try:
            to_audacity = os.open(PIPES[0], os.O_WRONLY | os.O_NONBLOCK)
            break
        except OSError:
            if time.monotonic() > deadline:
                return ["no scripting pipe"]
            time.sleep(0.25)
    answers, pending, statuses = os.open(PIPES[1], os.O_RDONLY), b"", []
    for command in commands:
        os.write(to_audacity, (command + "\n").encode())
        status = None
        while status is None:
            while b"\n" not in pending:
                if not select.select([answers], [], [], max(0.0, deadline - time.monotonic()))[0]:
                    return statuses + ["no answer to " + command]
                pending += os.read(answers, 4096)
            line, pending = pending.split(b"\n", 1)
            status = line.decode() if line.startswith(b"BatchCommand finished") else None
        statuses.append(status)
    os.close(to_audacity)
    os.close(answers)
    return statuses


def float_samples(path):
    """The data chunk of a 32-bit float WAV file."""
    with open(path, "rb") as f:
        data = f.read()
    at = 12
    while at + 8 <= len(data):
        chunk, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if chunk == b"fmt " and struct.unpack("<HHIIHH", data[at + 8:at + 24])[5] != 32:
            return None
        if chunk == b"data":
            return data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    return None


def main():
    bundle, renderer = sys.argv[1], sys.argv[2]
    test = Session("audacity")

    def body():
        test.start_display()
        plugins = os.path.join(test.home, "plugins")
        shutil.copytree(bundle, os.path.join(plugins, "Wydenza.lv2"))
        test.env["LV2_PATH"] = plugins
        registry = os.path.join(test.home, ".config", "audacity", "pluginregistry.cfg")

        def entry():
            if not os.path.exists(registry):
                return None
            found = re.search(r"Path=urn:zelvora:wydenza\n(?:[^\[\n]*\n)*", open(registry, errors="replace").read())
            return found.group(0) if found and "Valid=" in found.group(0) else None

        audacity = test.start(["audacity"], cwd=test.home)
        test.wait_until(lambda: entry() is not None or audacity.poll() is not None, 90)
        found = entry() or ""
        test.check(found, "Audacity checks Wydenza at its first start (status %s)" % audacity.poll())
        test.check("Valid=1" in found, "Audacity finds Wydenza valid")
        test.check("Enabled=1" in found, "Audacity enables Wydenza in its Effect menu")
        test.check("Name=Wydenza" in found and "EffectRealtime=1" in found, "Audacity lists it as Wydenza, usable as a realtime effect")

        audacity.kill()
        audacity.wait()
        for pipe in PIPES:
            if os.path.exists(pipe):
                os.remove(pipe)
        write_scripting_settings(test.home)
        mix, rendered, applied = (os.path.join(test.home, name) for name in ("wydenza-demo.wav", "rendered.wav", "applied.wav"))
        subprocess.run([renderer, "--preset", "Init", "--bits", "32f"], cwd=test.home, env=test.env, capture_output=True)
        subprocess.run([renderer, *RENDERER_SETTINGS, mix, rendered], env=test.env, capture_output=True)
        test.start(["audacity"], cwd=test.home)
        # Commands sent before its window is up are read but never carried out.
        test.wait_until(lambda: test.visible_windows("^Audacity$"), 60)
        time.sleep(2)
        commands = ["Import2: Filename=" + mix, "SelectAll:", "Wydenza:", "Export2: Filename=%s NumChannels=2" % applied]
        statuses = script(commands, 60)
        test.check(statuses == ["BatchCommand finished: OK"] * len(commands), "Audacity imports, applies Wydenza and exports (%s)" % statuses)
        samples = float_samples(applied) if os.path.exists(applied) else None
        test.check(samples is not None and samples == float_samples(rendered),
                   "Audacity's Wydenza writes exactly the renderer's samples for " + " ".join(RENDERER_SETTINGS))
        test.check(samples is not None and samples != float_samples(mix), "and the mix is changed")

    test.run_test(body)


if __name__ == "__main__":
    main()
