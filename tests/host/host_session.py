"""What the host tests share: counted checks, a throw-away home folder, a virtual X display, a JACK dummy
server under a name of its own, xdotool, and the editor found on screen by its orange top bar. Everything
started is stopped again when the test ends."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time


class Session:
    def __init__(self, name):
        self.passed = self.failed = 0
        self.home = tempfile.mkdtemp(prefix="wydenza-%s-" % name)
        os.makedirs(os.path.join(self.home, ".config"))
        self.env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        JACK_DEFAULT_SERVER="wydenza-%s-%d" % (name, os.getpid()))
        self.processes = []

    def check(self, condition, what):
        self.passed, self.failed = (self.passed + 1, self.failed) if condition else (self.passed, self.failed + 1)
        print("ok:" if condition else "FAILED:", what)
        return condition

    def start(self, args, **kwargs):
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        self.processes.append(subprocess.Popen(args, env=self.env, **kwargs))
        return self.processes[-1]

    def run(self, *args, timeout=20):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=timeout)

    def start_display(self):
        # The server picks a free display number itself and writes it to the pipe once it is ready.
        read_end, write_end = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24", "-nolisten", "tcp"], pass_fds=[write_end])
        os.close(write_end)
        with os.fdopen(read_end) as display_number:
            self.env["DISPLAY"] = ":" + display_number.readline().strip()

    def start_jack(self):
        """The server's process once it runs, else None."""
        server = self.start(["jackd", "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "512"])
        ready = self.wait_until(lambda: self.run("jack_wait", "--check").stdout.strip() == "running", 10)
        return server if self.check(ready, "a JACK dummy server runs as " + self.env["JACK_DEFAULT_SERVER"]) else None

    def jack_ports(self):
        return self.run("jack_lsp").stdout.split()

    @staticmethod
    def wait_until(condition, seconds):
        deadline = time.monotonic() + seconds
        while not condition():
            if time.monotonic() > deadline:
                return False
            time.sleep(0.25)
        return True

    def xdo(self, *args):
        return self.run("xdotool", *[str(a) for a in args]).stdout

    def visible_windows(self, name):
        return self.xdo("search", "--onlyvisible", "--name", name).split()

    def window_geometry(self, window):
        found = dict(re.findall(r"(\w+): (\S+)", self.xdo("getwindowgeometry", window)))
        return tuple(int(v) for v in found["Position"].split(",") + found["Geometry"].split("x"))

    def find_editor(self):
        """The editor's bounds (x, y, w, h): its orange top bar spans the whole width inside the outer
        frame (0.02 H thick, centred on the edge). None while no editor is shown."""
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env, capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        width, height = (int(header.group(1)), int(header.group(2))) if header else (0, 0)
        for y in range(0, height, 2):
            row = data[header.end() + y * width * 3:header.end() + (y + 1) * width * 3]
            runs = [m for m in re.finditer(b"(?:\xff\x35\x00)+", row) if m.start() % 3 == 0]
            if sum(m.end() - m.start() for m in runs) > 900:
                w = (runs[-1].end() - runs[0].start()) // 3 / (1.0 - 2 * 0.01 / 1.5)
                return runs[0].start() // 3 - 0.01 * w / 1.5, y - 0.01 * w / 1.5, w, w / 1.5
        return None

    def click_at(self, editor, fx, fy):
        x, y, w, h = editor
        self.xdo("mousemove", int(x + fx * w), int(y + fy * h))
        time.sleep(0.15)
        self.xdo("click", 1)
        time.sleep(0.5)

    def drag_down(self, editor, fx, fy, steps=10, step=12):
        x, y, w, h = editor
        self.xdo("mousemove", int(x + fx * w), int(y + fy * h))
        time.sleep(0.2)
        self.xdo("mousedown", 1)
        for _ in range(steps):
            self.xdo("mousemove_relative", "--", 0, step)
            time.sleep(0.05)
        self.xdo("mouseup", 1)
        time.sleep(0.5)

    def finish(self, process, seconds, what):
        """Waits for a process to end by itself; a check that it ended with status 0."""
        try:
            process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        return self.check(process.returncode == 0, "%s (status %s)" % (what, process.returncode))

    def run_test(self, body):
        """Runs the test, counts an exception as a failure, stops everything and exits with the verdict."""
        try:
            body()
        except Exception as error:
            self.check(False, "the test runs to its end: %r" % error)
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
        sys.exit(1 if self.failed or not self.passed else 0)
