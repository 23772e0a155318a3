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

    def find_editor(self):
        """The editor's bounds (x, y, w, h) on the screen, from its orange top bar, which spans the whole
        width inside the outer frame (0.02 H thick, centred on the edge); None while it is not shown."""
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env, capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        if not header:
            return None
        width, height, pixels = int(header.group(1)), int(header.group(2)), data[header.end():]
        orange = re.compile(b"(?:\xff\x35\x00)+")
        for y in range(0, height, 2):
            row = pixels[y * width * 3:(y + 1) * width * 3]
            runs = [m for m in orange.finditer(row) if m.start() % 3 == 0]
            if sum(m.end() - m.start() for m in runs) > 900:
                left, right = runs[0].start() // 3, runs[-1].end() // 3
                w = (right - left) / (1.0 - 2 * 0.01 / 1.5)
                return left - 0.01 * w / 1.5, y - 0.01 * w / 1.5, w, w / 1.5
        return None

    def click_at(self, editor, fx, fy):
        x, y, w, h = editor
        self.xdo("mousemove", int(x + fx * w), int(y + fy * h))
        time.sleep(0.15)
        self.xdo("click", 1)
        time.sleep(0.5)

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


def close_window(display, window):
    """Asks a window to close as a window manager's close button does (WM_DELETE_WINDOW)."""
    import ctypes

    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

    connection = x11.XOpenDisplay(display.encode())
    event = ClientMessage(type=33, window=int(window), format=32,
                          message_type=x11.XInternAtom(connection, b"WM_PROTOCOLS", 0))
    event.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(connection, int(window), 0, 0, ctypes.byref(event))
    x11.XFlush(connection)
    x11.XCloseDisplay(connection)
