"""What the Linux host tests share: a checked-result counter, a throw-away home folder, a virtual X
display and a JACK dummy server under a name of its own, all stopped again by close()."""
import os
import re
import shutil
import subprocess
import tempfile
import time


class Session:
    def __init__(self, name):
        self.passed = self.failed = 0
        self.home = tempfile.mkdtemp(prefix="wydenza-%s-" % name)
        os.makedirs(os.path.join(self.home, ".config"))
        self.env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        JACK_NO_START_SERVER="1", JACK_DEFAULT_SERVER="wydenza-%s-%d" % (name, os.getpid()))
        self.processes = []

    def check(self, condition, what):
        if condition:
            self.passed += 1
            print("ok:", what)
        else:
            self.failed += 1
            print("FAILED:", what)
        return condition

    def start(self, args, **kwargs):
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(args, env=self.env, **kwargs)
        self.processes.append(process)
        return process

    def run(self, *args, timeout=20):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=timeout)

    def start_display(self):
        read_end, write_end = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                   pass_fds=[write_end])
        os.close(write_end)
        with os.fdopen(read_end) as display_number:
            self.env["DISPLAY"] = ":" + display_number.readline().strip()

    def start_jack(self):
        """A dummy-backend server: no sound card, and nobody else's server is touched."""
        self.jackd = self.start(["jackd", "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "512"])
        ready = self.wait_until(lambda: self.run("jack_wait", "--check").stdout.strip() == "running", 10)
        return self.check(ready, "a JACK dummy server runs as " + self.env["JACK_DEFAULT_SERVER"])

    def jack_ports(self):
        return self.run("jack_lsp").stdout.split()

    @staticmethod
    def wait_until(condition, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if condition():
                return True
            time.sleep(0.25)
        return False

    def xdo(self, *args):
        return self.run("xdotool", *[str(a) for a in args]).stdout

    def visible_windows(self, name):
        return self.xdo("search", "--onlyvisible", "--name", name).split()

    def window_geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        found = dict(re.findall(r"(\w+): (\S+)", self.xdo("getwindowgeometry", window)))
        x, y = (int(v) for v in found["Position"].split(","))
        w, h = (int(v) for v in found["Geometry"].split("x"))
        return x, y, w, h

    def finish(self, process, seconds, what):
        """Waits for a process to end by itself; True when it ended with status 0."""
        try:
            process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        return self.check(process.returncode == 0, "%s (status %s)" % (what, process.returncode))

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.home, ignore_errors=True)
        print("%d passed, %d failed" % (self.passed, self.failed))
        return 1 if self.failed or not self.passed else 0
