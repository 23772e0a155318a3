"""Wydenza's LV2 version in Audacity 3.2.4, Debian 12's audio editor, started under Xvfb with a fresh home
as after installing the package: its check of new plug-ins must find Wydenza valid and enable it
(Audacity instantiates each new LV2 plug-in with the options it passes every plug-in).

Audacity is started in its home folder: Audacity 3.2.4 itself crashes at start when the folder it is
started in holds a folder named lv2, whatever that holds.

usage: AudacityPluginCheckTest.py LV2_BUNDLE"""
import os
import re
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from host_session import Session  # noqa: E402


def main():
    bundle = sys.argv[1]
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

    test.run_test(body)


if __name__ == "__main__":
    main()
