"""A session Ardour 7.3 saved with Wydenza's control-port LV2 build (1.0.7), opened with this build: the
plug-in's values come back, in Ardour's controls and in the state it saves again, and so does the
automation lane on StereoWidth (Ardour keys lanes by port index), with its points and its Play mode.

usage: ArdourOldSessionTest.py LV2_BUNDLE FIXTURES"""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from host_session import Session  # noqa: E402
from ArdourPresetTest import ArdourSession  # noqa: E402

NAME = "wydenza-1.0.7"
# What the session was saved with; StereoWidth plays its lane, which starts at 0.2.
SAVED = {"Pan": 0.25, "SwapLR": 1.0, "SafeBass": 1.0, "OutputGain": 0.4, "StereoWidth": 0.2, "InputGain": 0.5}
LANE = [(0, 0.2), (48000, 0.8), (96000, 0.6)]


def main():
    bundle, fixtures = sys.argv[1:3]
    test = Session("ardour-old")

    def body():
        lv2 = os.path.join(test.home, "lv2")
        shutil.copytree(bundle, os.path.join(lv2, "Wydenza.lv2"))
        folder = os.path.join(test.home, "sessions", NAME)
        shutil.copytree(os.path.join(fixtures, "ardour-session-1.0.7"), folder)
        test.env.update(LV2_PATH=lv2, XDG_CACHE_HOME=os.path.join(test.home, ".cache"))
        session = ArdourSession(test, folder, 2, "urn:zelvora:wydenza")

        facts, ended = session.step("automation", 180)
        test.check(ended, "Ardour opens the session and saves it again")
        values = {f[1]: float(f[2]) for f in facts if f[0] == "VALUE"}
        wrong = {k: (values.get(k), v) for k, v in SAVED.items() if abs(values.get(k, -1.0) - v) > 1e-6}
        test.check(not wrong, "Ardour's controls show the saved values%s" % (" " + str(wrong) if wrong else ""))
        test.check(["LANE", "Play"] in facts, "the StereoWidth lane is still in Play mode")
        points = [(int(f[1]), float(f[2])) for f in facts if f[0] == "POINT"]
        test.check(len(points) == len(LANE) and all(p[0] == q[0] and abs(p[1] - q[1]) < 1e-6 for p, q in zip(points, LANE)),
                   "the StereoWidth lane keeps its points %s" % points)

        state = session.lv2_state(NAME)
        if test.check(state is not None, "the session saved again holds the plug-in's state"):
            kept = {k: float(state.get(k, "-1")) for k in SAVED if k != "StereoWidth"}
            wrong = {k: (kept[k], SAVED[k]) for k in kept if abs(kept[k] - SAVED[k]) > 1e-6}
            test.check(not wrong, "the plug-in plays the saved values%s" % (" " + str(wrong) if wrong else ""))

    test.run_test(body)


if __name__ == "__main__":
    main()
