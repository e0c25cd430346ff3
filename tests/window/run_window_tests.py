#!/usr/bin/env python3
"""Real-window tests of the built vornlace binary.

Starts a private Xvfb, runs the program in it with a clean environment, drives it with real
X input events (xdotool) and checks what the screen shows (ImageMagick's import, read here as
binary PPM). The program is used as shipped: no test hooks, no special build.

    python3 tests/window/run_window_tests.py --binary build/ci/vornlace

Needs Xvfb, xdotool, xwininfo, ImageMagick's import and a C compiler with Xlib headers (for
the small close-request helper next to this file). Python standard library only; libX11 is
also reached through ctypes, to bind the keys the suite types that the keymap lacks.

Waits are on the screen: after an action the suite polls screenshots until the canvas has
stopped changing and the program has gone quiet, within generous overall limits. The last
line printed is "N passed, M failed"; the exit status is non-zero on any failure.
"""

from __future__ import annotations

import argparse
import json
import atexit
import ctypes
import ctypes.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))

# --- The window as laid out by the program (client coordinates, no window manager frame). ---
# Read from the form's table as the build wrote it (web/form1.json beside the binary; the table
# itself is checked rectangle by rectangle in the unit tests): load_layout fills these in.
CLIENT_W = CLIENT_H = BORDER = 0
PICTURE1 = CANVAS = COMMAND1 = COMMAND2 = COMMAND3 = COMMAND4 = (0, 0, 0, 0)
TEXT1 = TEXT2 = LABEL1 = LABEL2 = (0, 0, 0, 0)


def load_layout(path: str) -> None:
    """Sets the rectangles above (left, top, width, height) from the form's table."""
    global CLIENT_W, CLIENT_H, BORDER, CANVAS
    with open(path, encoding="utf-8") as f:
        table = json.load(f)
    CLIENT_W, CLIENT_H = table["client"]
    BORDER = table["canvasBorder"]
    for control in table["controls"]:
        globals()[control["name"].upper()] = tuple(control["rect"])
    x, y, w, h = PICTURE1
    CANVAS = (x + BORDER, y + BORDER, w - 2 * BORDER, h - 2 * BORDER)  # inside the border


# World window of every sweep: x -10..310 left to right, y 210..-10 top to bottom.
WORLD_LEFT, WORLD_RIGHT, WORLD_TOP, WORLD_BOTTOM = -10.0, 310.0, 210.0, -10.0

BLACK = (0, 0, 0)


def world_to_canvas(wx: float, wy: float) -> tuple[float, float]:
    """A world point as a (fractional) pixel position inside the canvas."""
    cw, ch = CANVAS[2], CANVAS[3]
    return ((wx - WORLD_LEFT) / (WORLD_RIGHT - WORLD_LEFT) * cw,
            (wy - WORLD_TOP) / (WORLD_BOTTOM - WORLD_TOP) * ch)


def is_yellow(p) -> bool:
    return p[0] > 200 and p[1] > 200 and p[2] < 80


class CheckFailed(Exception):
    pass


def check(condition: bool, message: str) -> None:
    if not condition:
        raise CheckFailed(message)


# ------------------------------------------------------------------------------------------
# Images
# ------------------------------------------------------------------------------------------

class Image:
    """An RGB image, 8 bits a channel, rows top to bottom."""

    def __init__(self, width: int, height: int, data: bytes):
        self.width, self.height, self.data = width, height, data

    @staticmethod
    def from_ppm(blob: bytes) -> "Image":
        # Binary PPM: "P6" whitespace width whitespace height whitespace maxval, one whitespace
        # byte, then the pixels. Comments start with '#' and run to the end of the line.
        fields: list[bytes] = []
        i = 0
        while len(fields) < 4:
            while i < len(blob) and blob[i:i + 1].isspace():
                i += 1
            if blob[i:i + 1] == b"#":
                while i < len(blob) and blob[i:i + 1] not in (b"\n", b"\r"):
                    i += 1
                continue
            start = i
            while i < len(blob) and not blob[i:i + 1].isspace():
                i += 1
            if start == i:
                raise ValueError("truncated PPM header")
            fields.append(blob[start:i])
        i += 1
        if fields[0] != b"P6":
            raise ValueError(f"not a binary PPM: {fields[0]!r}")
        width, height, maxval = int(fields[1]), int(fields[2]), int(fields[3])
        pixels = blob[i:]
        if maxval < 256:
            if len(pixels) < width * height * 3:
                raise ValueError("truncated PPM pixels")
            data = pixels[:width * height * 3]
        else:
            if len(pixels) < width * height * 6:
                raise ValueError("truncated PPM pixels")
            # 16-bit big-endian samples: keep the high byte, scaled to 0..255.
            data = bytes((pixels[k] << 8 | pixels[k + 1]) * 255 // maxval
                         for k in range(0, width * height * 6, 2))
        return Image(width, height, bytes(data))

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        k = (y * self.width + x) * 3
        return self.data[k], self.data[k + 1], self.data[k + 2]

    def region_bytes(self, rect) -> bytes:
        x, y, w, h = rect
        row = self.width * 3
        return b"".join(self.data[(y + j) * row + x * 3:(y + j) * row + (x + w) * 3]
                        for j in range(h))

    def region(self, rect) -> "Image":
        return Image(rect[2], rect[3], self.region_bytes(rect))

    def pixels(self):
        """(x, y, (r, g, b)) for every pixel."""
        d, w = self.data, self.width
        for k in range(0, len(d), 3):
            n = k // 3
            yield n % w, n // w, (d[k], d[k + 1], d[k + 2])

    def colour_counts(self) -> dict:
        counts: dict = {}
        d = self.data
        for k in range(0, len(d), 3):
            key = d[k:k + 3]
            counts[key] = counts.get(key, 0) + 1
        return {(c[0], c[1], c[2]): n for c, n in counts.items()}

    def count(self, predicate) -> int:
        return sum(n for c, n in self.colour_counts().items() if predicate(c))

    def dark_pixels(self, rect, limit: int = 100) -> int:
        """Pixels in rect whose every channel is below limit: text, not panel or border."""
        sub = self.region(rect)
        return sub.count(lambda c: max(c) < limit)


def inset(rect, by: int):
    x, y, w, h = rect
    return (x + by, y + by, w - 2 * by, h - 2 * by)


# ------------------------------------------------------------------------------------------
# Processes: the X server, the program, the tools
# ------------------------------------------------------------------------------------------

_children: list[subprocess.Popen] = []


def _stop_child(proc: subprocess.Popen) -> None:
    if proc.poll() is None:
        try:
            proc.terminate()
            proc.wait(timeout=3)
        except subprocess.TimeoutExpired:
            proc.kill()
            try:
                proc.wait(timeout=3)
            except subprocess.TimeoutExpired:
                pass
        except ProcessLookupError:
            pass


def stop_all_children() -> None:
    # Newest first: the program before its X server.
    while _children:
        _stop_child(_children.pop())


def _on_signal(signum, _frame):
    stop_all_children()
    sys.stderr.write(f"interrupted by signal {signum}\n")
    os._exit(128 + signum)


def run_tool(args, *, timeout: float = 20, input_bytes: bytes | None = None,
             check_rc: bool = True) -> subprocess.CompletedProcess:
    result = subprocess.run(args, input=input_bytes, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=timeout)
    if check_rc and result.returncode != 0:
        raise CheckFailed(f"{args[0]} failed ({result.returncode}): "
                          f"{result.stderr.decode(errors='replace').strip()}")
    return result


# Characters the suite types that a US keymap has no key for. xdotool would bind each to a
# spare key just for the press and unbind it at once; a client busy at that moment fetches the
# keymap after the unbinding and loses the character. Bound once, before the program starts,
# they stay put. (-noreset keeps them: a server that resets when its last client leaves would
# drop them between programs.)
TYPED_OUTSIDE_THE_KEYMAP = "０１２３４５６７８９"


def map_spare_keys(display: str, chars: str) -> None:
    """Binds each character to a key code that has no symbols, through Xlib."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                     ctypes.POINTER(ctypes.c_int)]
    x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                        ctypes.POINTER(ctypes.c_int)]
    x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(display.encode())
    if not dpy:
        raise RuntimeError(f"cannot open {display} to bind keys")
    try:
        low, high, per = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        x11.XDisplayKeycodes(dpy, ctypes.byref(low), ctypes.byref(high))
        count = high.value - low.value + 1
        table = x11.XGetKeyboardMapping(dpy, low.value, count, ctypes.byref(per))
        spare = [low.value + i for i in range(count)
                 if not any(table[i * per.value + j] for j in range(per.value))]
        x11.XFree(table)
        if len(spare) < len(chars):
            raise RuntimeError(f"only {len(spare)} spare key codes for {len(chars)} characters")
        for code, char in zip(reversed(spare), chars):
            keysym = (ctypes.c_ulong * 1)(0x01000000 | ord(char))  # a Unicode keysym
            x11.XChangeKeyboardMapping(dpy, code, 1, keysym, 1)
        x11.XSync(dpy, 0)
    finally:
        x11.XCloseDisplay(dpy)


class XServer:
    def __init__(self, first_display: int, workdir: str):
        self.proc: subprocess.Popen | None = None
        self.display = ""
        log_path = os.path.join(workdir, "xvfb.log")
        for number in range(first_display, first_display + 60):
            if os.path.exists(f"/tmp/.X{number}-lock") or \
                    os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            with open(log_path, "ab") as log:
                proc = subprocess.Popen(
                    ["Xvfb", f":{number}", "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                     "-noreset"],
                    stdin=subprocess.DEVNULL, stdout=log, stderr=log)
            _children.append(proc)
            if self._wait_ready(proc, number):
                self.proc, self.display = proc, f":{number}"
                map_spare_keys(self.display, TYPED_OUTSIDE_THE_KEYMAP)
                return
            _children.remove(proc)
            _stop_child(proc)
        raise RuntimeError("could not start Xvfb on any display from "
                           f":{first_display}; see {log_path}")

    @staticmethod
    def _wait_ready(proc: subprocess.Popen, number: int) -> bool:
        env = dict(os.environ, DISPLAY=f":{number}")
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline:
            if proc.poll() is not None:
                return False  # lost a race for the display number, or could not start
            if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                probe = subprocess.run(["xwininfo", "-root"], env=env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, timeout=10)
                if probe.returncode == 0:
                    return True
            time.sleep(0.1)
        return False


class Program:
    """One run of the program under test, with its window."""

    def __init__(self, binary: str, workdir: str, name: str, scale: float,
                 extra_env: dict | None = None):
        self.scale = scale
        self.last_ppm = b""
        self.log_path = os.path.join(workdir, f"{name}.log")
        runtime_dir = os.path.join(workdir, "runtime")
        os.makedirs(runtime_dir, mode=0o700, exist_ok=True)
        env = {
            "DISPLAY": os.environ["DISPLAY"],
            "QT_QPA_PLATFORM": "xcb",
            "HOME": workdir,
            "XDG_RUNTIME_DIR": runtime_dir,
            "PATH": "/usr/bin:/bin",
            "LANG": "C.UTF-8",
        }
        # Let a sanitizer build be configured from outside; leaks inside system libraries that
        # are not the program's own are listed in lsan.supp next to this file.
        for key in ("ASAN_OPTIONS", "UBSAN_OPTIONS"):
            if key in os.environ:
                env[key] = os.environ[key]
        lsan = [os.environ.get("LSAN_OPTIONS", ""),
                "suppressions=" + os.path.join(HERE, "lsan.supp"), "print_suppressions=0"]
        env["LSAN_OPTIONS"] = ":".join(part for part in lsan if part)
        env.update(extra_env or {})
        self.log = open(self.log_path, "wb")
        self.proc = subprocess.Popen([binary], env=env, stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=subprocess.STDOUT, cwd=workdir)
        _children.append(self.proc)
        self.pid = self.proc.pid
        self.window = self._find_window()
        self.origin = self._window_origin()

    # -- finding the window --

    def _find_window(self) -> int:
        deadline = time.monotonic() + 30 * self.scale
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise CheckFailed(f"the program exited with status {self.proc.returncode} "
                                  f"before showing its window\n{self.output()}")
            try:
                found = subprocess.run(["xdotool", "search", "--sync", "--name", "^Form1$"],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                       timeout=2)
            except subprocess.TimeoutExpired:
                continue
            for line in found.stdout.decode().split():
                window = int(line)
                if self._window_pid(window) == self.pid and self._viewable(window):
                    return window
            time.sleep(0.1)
        raise CheckFailed("no window named Form1 belonging to the program appeared")

    @staticmethod
    def _window_pid(window: int) -> int | None:
        out = subprocess.run(["xprop", "-id", str(window), "_NET_WM_PID"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=10)
        text = out.stdout.decode()
        if "=" not in text:
            return None
        try:
            return int(text.split("=")[1].strip())
        except ValueError:
            return None

    def _xwininfo(self) -> dict:
        out = run_tool(["xwininfo", "-id", str(self.window)]).stdout.decode()
        info = {}
        for line in out.splitlines():
            if ":" in line:
                key, _, value = line.strip().partition(":")
                info[key.strip()] = value.strip()
        return info

    def _viewable(self, window: int) -> bool:
        out = subprocess.run(["xwininfo", "-id", str(window)], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=10).stdout.decode()
        return "IsViewable" in out

    def _window_origin(self) -> tuple[int, int]:
        info = self._xwininfo()
        return int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"])

    def window_size(self) -> tuple[int, int]:
        info = self._xwininfo()
        return int(info["Width"]), int(info["Height"])

    def window_listed(self) -> bool:
        found = subprocess.run(["xdotool", "search", "--name", "^Form1$"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=10)
        return str(self.window) in found.stdout.decode().split()

    # -- state of the process --

    def alive(self) -> bool:
        return self.proc.poll() is None

    def cpu_seconds(self) -> float:
        try:
            with open(f"/proc/{self.pid}/stat", "rb") as f:
                fields = f.read().rsplit(b")", 1)[1].split()
        except OSError:
            return 0.0
        # After the command name: state is field 3, utime 14 and stime 15 (1-based).
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def output(self) -> str:
        self.log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode(errors="replace")

    # -- input --

    def _abs(self, rect) -> tuple[int, int]:
        x, y, w, h = rect
        return self.origin[0] + x + w // 2, self.origin[1] + y + h // 2

    @staticmethod
    def pointer() -> tuple[int, int]:
        out = run_tool(["xdotool", "getmouselocation", "--shell"]).stdout.decode()
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def move_args(self, rect) -> list[str]:
        """xdotool arguments that put the pointer on the middle of rect. --sync waits for the
        pointer to arrive, and would wait for a long time if it were there already."""
        x, y = self._abs(rect)
        if self.pointer() == (x, y):
            return []
        return ["mousemove", "--sync", str(x), str(y)]

    def click(self, rect) -> None:
        check(self.alive(), "the program is no longer running")
        run_tool(["xdotool", *self.move_args(rect), "click", "1"])

    def key(self, *keys: str) -> None:
        run_tool(["xdotool", "key", "--clearmodifiers", *keys])

    def key_burst(self, key: str, count: int) -> None:
        """`count` distinct presses and releases of one key, 2 ms apart: any closer and X gives
        a release and the next press the same time stamp, which reads as auto-repeat."""
        run_tool(["xdotool", "key", "--delay", "2", *([key] * count)], timeout=120 * self.scale)

    def click_burst(self, rect, count: int) -> None:
        run_tool(["xdotool", *self.move_args(rect), "click", "--repeat", str(count),
                  "--delay", "1", "1"], timeout=120 * self.scale)

    def type_text(self, text: str, delay_ms: int = 12) -> None:
        if text:
            run_tool(["xdotool", "type", "--delay", str(delay_ms), "--", text],
                     timeout=120 * self.scale)

    def set_box(self, rect, text: str, delay_ms: int = 12) -> None:
        """Replaces a text box's contents the way a user would: click, select all, delete, type."""
        self.click(rect)
        self.key("ctrl+a", "BackSpace")
        self.type_text(text, delay_ms)

    def request_close(self, helper: str) -> None:
        run_tool([helper, str(self.window)])

    # -- the screen --

    def screenshot(self) -> Image:
        result = run_tool(["import", "-window", str(self.window), "-depth", "8", "ppm:-"],
                          timeout=30)
        image = Image.from_ppm(result.stdout)
        self.last_ppm = result.stdout
        check((image.width, image.height) == (CLIENT_W, CLIENT_H),
              f"screenshot is {image.width}x{image.height}, not {CLIENT_W}x{CLIENT_H}")
        return image

    def canvas(self, shot: Image | None = None) -> Image:
        return (shot or self.screenshot()).region(CANVAS)

    def wait_until(self, predicate, what: str, timeout: float = 30) -> Image:
        """Polls screenshots until predicate(screenshot) holds."""
        deadline = time.monotonic() + timeout * self.scale
        while True:
            check(self.alive(), f"the program died while waiting for {what}")
            shot = self.screenshot()
            if predicate(shot):
                return shot
            if time.monotonic() > deadline:
                raise CheckFailed(f"timed out after {timeout * self.scale:.0f} s "
                                  f"waiting for {what}")
            time.sleep(0.05)

    def wait_settled(self, what: str = "the canvas to settle", timeout: float = 90,
                     quiet: float = 1.0) -> Image:
        """Polls until the canvas has not changed for `quiet` seconds while the program used
        little CPU: a running sweep either changes the canvas or keeps the program busy."""
        deadline = time.monotonic() + timeout * self.scale
        quiet *= max(1.0, self.scale ** 0.5)
        last = None
        since = time.monotonic()
        cpu_mark = self.cpu_seconds()
        while True:
            check(self.alive(), f"the program died while waiting for {what}\n{self.output()}")
            shot = self.screenshot()
            now = time.monotonic()
            current = shot.region_bytes(CANVAS)
            if current != last:
                last, since, cpu_mark = current, now, self.cpu_seconds()
            elif now - since >= quiet:
                busy = (self.cpu_seconds() - cpu_mark) / (now - since)
                if busy < 0.25:
                    return shot
                since, cpu_mark = now, self.cpu_seconds()  # still working: watch again
            if now > deadline:
                raise CheckFailed(f"timed out after {timeout * self.scale:.0f} s waiting "
                                  f"for {what}")
            time.sleep(0.2)

    def busy_for(self, seconds: float) -> float:
        """The share of one CPU the program used over the next `seconds`."""
        start_cpu, start = self.cpu_seconds(), time.monotonic()
        time.sleep(seconds)
        return (self.cpu_seconds() - start_cpu) / (time.monotonic() - start)

    def sweep_and_settle(self, button, what: str) -> Image:
        self.click(button)
        return self.wait_settled(f"{what} to finish")

    # -- ending --

    def close_and_wait(self, helper: str, timeout: float) -> int | None:
        """Sends a close request; returns the exit status, or None if still running."""
        self.request_close(helper)
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def finish(self) -> None:
        _stop_child(self.proc)
        if self.proc in _children:
            _children.remove(self.proc)
        self.log.close()


# ------------------------------------------------------------------------------------------
# The suite
# ------------------------------------------------------------------------------------------

class Suite:
    def __init__(self, args, workdir: str, helper: str):
        self.binary = os.path.abspath(args.binary)
        self.workdir = workdir
        self.helper = helper
        self.scale = args.timeout_scale
        self.close_limit = args.close_limit
        self.verbose = args.verbose
        self.passed = 0
        self.failed = 0
        self.only = args.only
        self.runs = 0
        self.current: Program | None = None

    def start(self, name: str) -> Program:
        self.runs += 1
        self.current = Program(self.binary, self.workdir, f"{self.runs:02d}-{name}", self.scale)
        return self.current

    def _keep_last_screenshot(self) -> None:
        """Leaves the last screenshot of a failed case in the work directory."""
        if self.current is not None and self.current.last_ppm:
            path = os.path.join(self.workdir, f"failure-{self.failed:02d}.ppm")
            with open(path, "wb") as f:
                f.write(self.current.last_ppm)
            print(f"      last screenshot: {path}", flush=True)

    def case(self, name: str, body, *args) -> bool:
        started = time.monotonic()
        try:
            body(*args)
        except CheckFailed as e:
            self.failed += 1
            print(f"FAIL  {name}: {e}", flush=True)
            self._keep_last_screenshot()
            return False
        except Exception:  # a broken tool or a crash of the suite itself counts as a failure
            self.failed += 1
            print(f"FAIL  {name}: unexpected error\n{traceback.format_exc()}", flush=True)
            self._keep_last_screenshot()
            return False
        self.passed += 1
        print(f"ok    {name} ({time.monotonic() - started:.1f} s)", flush=True)
        return True

    def group(self, name: str, body) -> None:
        if self.only and not any(o in name for o in self.only):
            return
        program = None
        try:
            program = self.start(name)
        except Exception as e:
            self.failed += 1
            print(f"FAIL  {name}: could not start the program: {e}", flush=True)
            return
        try:
            # The cases count themselves; a failure between them (say the window never
            # settling after start-up) ends the group and counts once.
            try:
                body(program)
            except Exception as e:
                self.failed += 1
                detail = str(e) if isinstance(e, CheckFailed) else traceback.format_exc()
                print(f"FAIL  {name}: {detail}", flush=True)
                self._keep_last_screenshot()
            self.case(f"{name}: the program ends cleanly when asked to close",
                      self._ends_cleanly, program)
        finally:
            if program.alive() and self.verbose:
                print(f"      ({name}: stopping the program)")
            program.finish()

    def _ends_cleanly(self, p: Program) -> None:
        check(p.alive(), f"the program is not running (status {p.proc.returncode})\n"
                         f"{p.output()}")
        status = p.close_and_wait(self.helper, timeout=max(10.0, 10 * self.scale))
        check(status is not None, "still running 10 s after a close request")
        check(status == 0, f"exit status {status}\n{p.output()}")
        out = p.output()
        for marker in ("runtime error:", "AddressSanitizer", "LeakSanitizer"):
            check(marker not in out, f"sanitizer report in the program's output:\n{out}")

    # ---------------------------------------------------------------- (a) layout, idle

    def group_layout(self, p: Program) -> None:
        shot = {}

        def geometry():
            check(p.window_size() == (CLIENT_W, CLIENT_H),
                  f"window is {p.window_size()}, not {CLIENT_W}x{CLIENT_H}")
            shot["idle"] = p.wait_settled("the window to finish painting")

        def canvas_uniform():
            canvas = p.canvas(shot["idle"])
            counts = canvas.colour_counts()
            check(len(counts) == 1, f"idle canvas has {len(counts)} colours, expected one: "
                                    f"{sorted(counts.items(), key=lambda kv: -kv[1])[:5]}")
            colour = next(iter(counts))
            check(colour != BLACK, "idle canvas is already black")
            check(min(colour) > 150, f"idle canvas colour {colour} is not a light panel colour")
            # The window background around the controls is that same colour.
            check(shot["idle"].pixel(5, 440) == colour,
                  f"canvas {colour} differs from the window background "
                  f"{shot['idle'].pixel(5, 440)}")

        def canvas_border():
            s = shot["idle"]
            x, y, w, h = PICTURE1
            inside = s.pixel(CANVAS[0], CANVAS[1])
            # The border is exactly two pixels deep on every side, then the interior begins.
            for bx, by in ((x, y), (x + 1, y + 1), (x + w - 1, y + h - 1),
                           (x + w - 2, y + h - 2), (x, y + h // 2), (x + w - 1, y + h // 2)):
                check(s.pixel(bx, by) != inside,
                      f"border pixel ({bx},{by}) has the interior colour {inside}")
            for ix, iy in ((CANVAS[0], CANVAS[1]), (CANVAS[0] + CANVAS[2] - 1,
                                                    CANVAS[1] + CANVAS[3] - 1)):
                check(s.pixel(ix, iy) == inside, f"interior corner ({ix},{iy}) is "
                                                 f"{s.pixel(ix, iy)}, not {inside}")

            def lum(px):
                return sum(px)

            # Sunken: the top and left edges are darker than the bottom and right edges.
            top = lum(s.pixel(x + w // 2, y))
            left = lum(s.pixel(x, y + h // 2))
            bottom = lum(s.pixel(x + w // 2, y + h - 1))
            right = lum(s.pixel(x + w - 1, y + h // 2))
            check(top < bottom and left < right,
                  f"border is not sunken: top {top}, left {left}, bottom {bottom}, "
                  f"right {right}")

        def captions():
            s = shot["idle"]
            for name, rect in (("描画", COMMAND1), ("形式２", COMMAND2), ("形式3", COMMAND4),
                               ("描画中止", COMMAND3), ("形式1最大値", LABEL1),
                               ("表示最大値", LABEL2)):
                dark = s.dark_pixels(inset(rect, 3) if rect[3] > 20 else rect)
                check(dark >= 15, f"{name} at {rect} shows no caption ({dark} dark pixels)")
            # Longer captions cover more pixels: 描画中止 has twice the characters of 描画.
            d1 = s.dark_pixels(inset(COMMAND1, 3))
            d3 = s.dark_pixels(inset(COMMAND3, 3))
            check(d3 > 1.4 * d1, f"描画中止 ({d3} dark pixels) is not longer than 描画 ({d1})")
            # Nothing is drawn between the controls.
            gap = (600, 215, 190, 200)
            check(s.dark_pixels(gap) == 0, "dark pixels below the buttons")

        def boxes():
            s = shot["idle"]
            t1 = s.region(inset(TEXT1, 3))
            t2 = s.region(inset(TEXT2, 3))
            d1, d2 = t1.count(lambda c: max(c) < 100), t2.count(lambda c: max(c) < 100)
            check(d1 >= 15, f"Text1 shows no text ({d1} dark pixels)")
            check(d2 >= 15, f"Text2 shows no text ({d2} dark pixels)")
            check(t1.data != t2.data, "Text1 and Text2 show the same thing, not 60 and 90")
            # "60" and "90" are two digits each, about the same amount of ink.
            check(abs(d1 - d2) <= max(6, d1 // 5),
                  f"Text1 ({d1}) and Text2 ({d2}) carry very different amounts of text")

        self.case("layout: window is 799x460 and paints", geometry)
        if "idle" not in shot:
            return
        self.case("layout: idle canvas is one light colour", canvas_uniform)
        self.case("layout: canvas has a 2-pixel sunken border", canvas_border)
        self.case("layout: buttons and labels show their captions", captions)
        self.case("layout: text boxes show 60 and 90", boxes)

    # ---------------------------------------------------------------- (b) default sweeps

    def group_draw(self, p: Program) -> None:
        state = {"idle": p.wait_settled("the window to finish painting")}

        def draw():
            state["draw"] = p.sweep_and_settle(COMMAND1, "the Draw sweep")

        def mostly_black_fan():
            canvas = p.canvas(state["draw"])
            counts = canvas.colour_counts()
            total = canvas.width * canvas.height
            black = counts.get(BLACK, 0)
            check(black > 0.5 * total, f"only {black}/{total} canvas pixels are black")
            check(black < 0.9 * total, f"{black}/{total} canvas pixels are black: no fan")
            colours = [c for c in counts if c != BLACK and not is_yellow(c)]
            check(len(colours) >= 30, f"only {len(colours)} colours besides black and yellow")
            # The fan runs from cyan (small angles) through red to pale blue (large ones).
            cyan = canvas.count(lambda c: c[0] < 30 and c[1] > 100 and c[2] > 100)
            red = canvas.count(lambda c: c[0] > 100 and c[1] < 30 and c[2] < 30)
            blue = canvas.count(lambda c: c[2] > 120 and 0 < c[0] <= c[2] and c[0] == c[1])
            check(cyan > 500 and red > 500 and blue > 500,
                  f"fan colours missing: cyan {cyan}, red {red}, blue {blue} pixels")
            # Corners of the interior were cleared too.
            for x, y in ((0, 0), (CANVAS[2] - 1, 0), (0, CANVAS[3] - 1),
                         (CANVAS[2] - 1, CANVAS[3] - 1)):
                check(canvas.pixel(x, y) == BLACK, f"canvas corner ({x},{y}) is not black")

        def yellow_edge():
            canvas = p.canvas(state["draw"])
            ys = [(x, y) for x, y, c in canvas.pixels() if is_yellow(c)]
            check(len(ys) > 1000, f"only {len(ys)} yellow pixels")
            min_x = min(x for x, _ in ys)
            max_x = max(x for x, _ in ys)
            min_y = min(y for _, y in ys)
            max_y = max(y for _, y in ys)
            left, base = world_to_canvas(0, 0)
            right, _ = world_to_canvas(300, 0)
            _, peak = world_to_canvas(150, 300 * 3 ** 0.5 / 6)  # the snowflake edge's tip
            check(abs(min_x - left) <= 3 and abs(max_x - right) <= 3,
                  f"yellow spans x {min_x}..{max_x}, expected about {left:.0f}..{right:.0f}")
            check(abs(min_y - peak) <= 3 and abs(max_y - base) <= 3,
                  f"yellow spans y {min_y}..{max_y}, expected about {peak:.0f}..{base:.0f}")
            # Drawn last, so it is on top in the lower middle, where the fan is densest.
            mid = canvas.region((int(left + (right - left) / 3), int(peak),
                                 int((right - left) / 3), int(base - peak) + 1))
            check(mid.count(is_yellow) > 200, "no yellow on top in the lower middle")
            # Its tip lies on the vertical through the middle of the base.
            tip_xs = [x for x, y in ys if y == min_y]
            check(abs(sum(tip_xs) / len(tip_xs) - (left + right) / 2) <= 3,
                  f"yellow tip at x {tip_xs}, not above the middle of the base")

        def fan_shape():
            canvas = p.canvas(state["draw"])
            lit = [(x, y) for x, y, c in canvas.pixels() if c != BLACK]
            top = min(y for _, y in lit)
            # The 90-degree curve is the tallest: square bumps on square bumps, r/3 + r/9 + ...
            # seven levels deep, just short of half the base.
            height = 150 * (1 - 3 ** -7)
            _, expected_top = world_to_canvas(150, height)
            check(abs(top - expected_top) <= 3,
                  f"fan reaches up to y {top}, expected about {expected_top:.0f}")
            # Nothing below the base line or beyond its ends.
            left, base = world_to_canvas(0, 0)
            right, _ = world_to_canvas(300, 0)
            outside = [(x, y) for x, y in lit if y > base + 3 or x < left - 3 or x > right + 3]
            check(not outside, f"{len(outside)} lit pixels outside the fan, e.g. {outside[:3]}")

        def base_line():
            canvas = p.canvas(state["draw"])
            left, base = world_to_canvas(0, 0)
            right, _ = world_to_canvas(300, 0)
            band = canvas.region((0, int(base) - 3, canvas.width, 7))
            covered = set(x for x, _, c in band.pixels() if c != BLACK)
            span = range(int(left) + 2, int(right) - 1)
            missing = [x for x in span if x not in covered]
            check(len(missing) <= len(span) // 50,
                  f"{len(missing)} columns of the base line near y={base:.0f} have nothing "
                  f"drawn, e.g. x={missing[:5]}")

        def outside_untouched():
            idle, drawn = state["idle"], state["draw"]
            # Left of the canvas, under it and the right-hand strip below the buttons.
            for rect in ((0, 0, PICTURE1[0], CLIENT_H), (0, 426, CLIENT_W, CLIENT_H - 426),
                         (600, 215, 199, 210)):
                check(idle.region_bytes(rect) == drawn.region_bytes(rect),
                      f"the Draw sweep changed pixels outside the canvas, in {rect}")
            # Including the border itself.
            x, y, w, h = PICTURE1
            for rect in ((x, y, w, BORDER), (x, y + h - BORDER, w, BORDER),
                         (x, y, BORDER, h), (x + w - BORDER, y, BORDER, h)):
                check(idle.region_bytes(rect) == drawn.region_bytes(rect),
                      f"the Draw sweep changed the canvas border at {rect}")

        def style2():
            shot = p.sweep_and_settle(COMMAND2, "the style-2 sweep")
            canvas = p.canvas(shot)
            counts = canvas.colour_counts()
            check(canvas.count(is_yellow) > 1000, "style 2 does not end with the yellow edge")
            others = [c for c in counts if c != BLACK and not is_yellow(c)]
            check(len(others) >= 30, f"style 2 shows only {len(others)} other colours")
            # Its colours are green-tinted above 30 degrees; none of Draw's pale blues.
            green = canvas.count(lambda c: c[1] >= 125 and c[0] < c[1] and c[2] < c[1])
            check(green > 500, f"only {green} greenish pixels in style 2")
            check(shot.region_bytes(CANVAS) != state["draw"].region_bytes(CANVAS),
                  "style 2 drew the same picture as Draw")
            state["style2"] = shot

        def style3():
            shot = p.sweep_and_settle(COMMAND4, "the style-3 sweep")
            canvas = p.canvas(shot)
            counts = canvas.colour_counts()
            check(counts.get(BLACK, 0) > canvas.width * canvas.height // 3,
                  "style 3 did not clear the canvas to black")
            check(canvas.count(is_yellow) == 0, "style 3 drew a yellow curve")
            others = [c for c in counts if c != BLACK]
            check(len(others) >= 30, f"style 3 shows only {len(others)} colours")
            if "style2" in state:
                check(shot.region_bytes(CANVAS) != state["style2"].region_bytes(CANVAS),
                      "style 3 drew the same picture as style 2")

        def stop_midway():
            # A sweep of 901 curves takes many seconds; Draw, then stop at once. The stop is
            # seen before the sweep's next curve, so it ends long before its last one and never
            # draws the yellow edge.
            p.set_box(TEXT2, "900")
            try:
                run_tool(["xdotool", *p.move_args(COMMAND1), "click", "1",
                          "mousemove", "--sync", *map(str, p._abs(COMMAND3)), "click", "1"])
                shot = p.wait_settled("the stopped sweep to come to rest")
            finally:
                p.set_box(TEXT2, "90")
            canvas = p.canvas(shot)
            check(canvas.count(is_yellow) == 0, "the stopped sweep still drew the yellow edge")
            check(canvas.pixel(0, 0) == BLACK, "the stopped sweep did not clear the canvas")

        def draw_after_stop():
            shot = p.sweep_and_settle(COMMAND1, "a Draw sweep after a stop")
            check(shot.region_bytes(CANVAS) == state["draw"].region_bytes(CANVAS),
                  "a Draw sweep after a stop does not give the same picture as the first")

        self.case("draw: Draw sweep runs and settles", draw)
        if "draw" not in state:
            return
        self.case("draw: canvas black with a many-coloured fan", mostly_black_fan)
        self.case("draw: yellow snowflake edge on top, base (0,0)-(300,0)", yellow_edge)
        self.case("draw: fan has the expected height and stays above the base", fan_shape)
        self.case("draw: base line near world y=0 is drawn", base_line)
        self.case("draw: nothing outside the canvas changes", outside_untouched)
        self.case("draw: style 2 ends in yellow with its own colours", style2)
        self.case("draw: style 3 draws a fan without yellow", style3)
        self.case("draw: stop right after Draw ends the sweep early", stop_midway)
        self.case("draw: Draw after a stop gives the full picture again", draw_after_stop)

    # ---------------------------------------------------------------- (c) negative maximum

    def group_negative(self, p: Program) -> None:
        p.wait_settled("the window to finish painting")

        def style3_black():
            p.sweep_and_settle(COMMAND1, "a first Draw sweep")
            p.set_box(TEXT2, "-5")
            shot = p.sweep_and_settle(COMMAND4, "the style-3 sweep with -5")
            counts = p.canvas(shot).colour_counts()
            check(list(counts) == [BLACK],
                  f"canvas is not entirely black: {len(counts)} colours, "
                  f"{sum(n for c, n in counts.items() if c != BLACK)} lit pixels")

        def only_yellow(button, what):
            shot = p.sweep_and_settle(button, what)
            counts = p.canvas(shot).colour_counts()
            lit = {c: n for c, n in counts.items() if c != BLACK}
            check(lit and all(is_yellow(c) for c in lit),
                  f"expected only the yellow edge, found colours {list(lit)[:6]}")
            check(sum(lit.values()) > 1000, "the yellow edge is missing")

        self.case("negative: -5 in the second box, style 3 leaves the canvas black",
                  style3_black)
        self.case("negative: -5, Draw draws only the yellow edge",
                  only_yellow, COMMAND1, "the Draw sweep with -5")
        self.case("negative: -5, style 2 draws only the yellow edge",
                  only_yellow, COMMAND2, "the style-2 sweep with -5")

    # ---------------------------------------------------------------- (d) robustness

    def group_robustness(self, p: Program, part: str) -> None:
        """Odd text in the boxes, then every sweep button and the stop button. Each part runs
        in a program of its own, so that a sweep a broken stop button cannot end leaves the
        other parts unharmed."""
        p.wait_settled("the window to finish painting")
        default = {}

        def baseline():
            default["shot"] = p.sweep_and_settle(COMMAND1, "a Draw sweep with 60 and 90")

        self.case(f"{part}: default Draw sweep", baseline)

        def zero_value(text: str, delay_ms: int = 12):
            # Text that holds no number reads as 0: every sweep draws its one 0-degree curve,
            # a straight line along the base, and Draw and style 2 add the yellow edge.
            p.set_box(TEXT1, text, delay_ms)
            p.set_box(TEXT2, text, delay_ms)
            left, base = world_to_canvas(0, 0)
            for button, name, line_colour, yellow in (
                    (COMMAND1, "Draw", (0, 240, 240), True),
                    (COMMAND2, "style 2", (0, 240, 240), True),
                    (COMMAND4, "style 3", (0, 240, 0), False)):
                canvas = p.canvas(p.sweep_and_settle(button, f"the {name} sweep"))
                lit = {}
                for x, y, c in canvas.pixels():
                    if c != BLACK:
                        lit.setdefault(c, []).append((x, y))
                check((canvas.count(is_yellow) > 1000) == yellow,
                      f"{name}: yellow edge {'missing' if yellow else 'drawn'}")
                others = {c: pts for c, pts in lit.items() if not is_yellow(c)}
                check(list(others) == [line_colour],
                      f"{name}: expected one {line_colour} line, found colours "
                      f"{list(others)[:6]}")
                ys = set(y for _, y in others[line_colour])
                check(all(abs(y - base) <= 2 for y in ys),
                      f"{name}: the 0-degree line is not on the base (rows {sorted(ys)[:6]})")
            p.click(COMMAND3)

        def forty_five():
            p.set_box(TEXT1, "４５")
            p.set_box(TEXT2, "４５")
            canvas = p.canvas(p.sweep_and_settle(COMMAND1, "the Draw sweep with ４５"))
            red = canvas.count(lambda c: c[0] > 100 and c[1] < 30 and c[2] < 30)
            blue = canvas.count(lambda c: c[2] > 120 and 0 < c[0] <= c[2] and c[0] == c[1])
            check(canvas.count(is_yellow) > 1000, "Draw: yellow edge missing")
            check(red > 200, "Draw: no red curves, so 45 was not read as 45")
            check(blue == 0, "Draw: pale blue curves above 60 degrees with a maximum of 45")
            canvas = p.canvas(p.sweep_and_settle(COMMAND2, "the style-2 sweep with ４５"))
            check(canvas.count(is_yellow) > 1000, "style 2: yellow edge missing")
            others = [c for c in canvas.colour_counts() if c != BLACK and not is_yellow(c)]
            check(len(others) >= 20, f"style 2: only {len(others)} colours for 46 curves")
            canvas = p.canvas(p.sweep_and_settle(COMMAND4, "the style-3 sweep with ４５"))
            check(canvas.count(is_yellow) == 0, "style 3: yellow drawn")
            others = [c for c in canvas.colour_counts() if c != BLACK]
            check(len(others) >= 20, f"style 3: only {len(others)} colours for 46 curves")
            p.click(COMMAND3)

        def endless(fill_boxes, what: str):
            # A maximum of +infinity: Draw and style 3 count down from infinity and style 2
            # counts up to it, so none of them ever runs out. Start all three, one inside the
            # other, then one stop must end them all, with nothing more drawn. At an infinite
            # angle a curve has no direction after its first turn, so all that shows of it is
            # its first tiny stretch at the origin: a dot.
            def nearly_black(shot):
                return p.canvas(shot).count(lambda c: c != BLACK) < 50

            fill_boxes()
            try:
                p.click(COMMAND1)
                p.wait_until(nearly_black, "Draw to clear the canvas")
                share = p.busy_for(2.0)
                check(share > 0.15,
                      f"Draw with {what} is not sweeping (used {share:.0%} of a CPU)")
                p.click(COMMAND2)
                # Style 2 counts up from 0 and draws what it counts through.
                p.wait_until(lambda s: p.canvas(s).count(lambda c: c != BLACK) > 1000,
                             "style 2 to draw inside the endless Draw sweep")
                p.click(COMMAND4)
                p.wait_until(nearly_black, "style 3 to clear the canvas")
                check(p.alive(), "the program died with three sweeps running")
                p.click(COMMAND3)
                shot = p.wait_settled("the stop button to end three endless sweeps",
                                      timeout=30)
            except CheckFailed:
                if p.alive():
                    p.click(COMMAND3)  # leave no sweep running for the cases after this one
                raise
            canvas = p.canvas(shot)
            check(canvas.count(is_yellow) == 0, "a stopped sweep drew the yellow edge")
            check(nearly_black(shot), "something was drawn after the stop")
            share = p.busy_for(1.5)
            check(share < 0.25, f"the program is still busy after the stop ({share:.0%})")

        def fill_1e999():
            p.set_box(TEXT1, "1e999")
            p.set_box(TEXT2, "1e999")

        def fill_long_line():
            # 10,000 digits typed into the first box, then copied into the second through the
            # clipboard with the usual keys.
            p.set_box(TEXT1, "7" * 10000, delay_ms=0)
            p.key("ctrl+a", "ctrl+c")
            p.click(TEXT2)
            p.key("ctrl+a", "ctrl+v")
            # Typing this much keeps the program busy for a while; let it finish.
            p.wait_settled("the program to take in 10,000 keystrokes", timeout=120)

        def still_responsive():
            check(p.alive(), "the program is no longer running")
            check(p.window_listed(), "xdotool no longer finds the Form1 window")
            share = p.busy_for(1.5)
            check(share < 0.25, f"the program is still busy ({share:.0%} of a CPU)")
            p.set_box(TEXT1, "60")
            p.set_box(TEXT2, "90")
            shot = p.sweep_and_settle(COMMAND1, "a Draw sweep with 60 and 90 again")
            check(p.canvas(shot).count(is_yellow) > 1000, "the yellow edge is missing")
            if "shot" in default:
                check(shot.region_bytes(CANVAS) == default["shot"].region_bytes(CANVAS),
                      "Draw with 60 and 90 now gives a different picture than at the start")

        if part == "robustness-text":
            self.case(f"{part}: 'nan' reads as 0 in every sweep", zero_value, "nan")
            self.case(f"{part}: '-inf' reads as 0 in every sweep", zero_value, "-inf")
            self.case(f"{part}: empty boxes read as 0 in every sweep", zero_value, "")
            self.case(f"{part}: full-width ４５ reads as 45", forty_five)
        elif part == "robustness-1e999":
            self.case(f"{part}: '1e999' sweeps endlessly until stopped", endless, fill_1e999,
                      "1e999")
        elif part == "robustness-long-line":
            self.case(f"{part}: a 10,000-digit line sweeps endlessly until stopped", endless,
                      fill_long_line, "10,000 digits")
        else:
            raise ValueError(part)
        self.case(f"{part}: still alive and drawing afterwards", still_responsive)

    def group_storm(self, p: Program) -> None:
        """Thousands of distinct presses of a sweep button, and a click storm round the sweep
        buttons. Each press during a sweep starts another sweep nested inside it, up to the
        program's bound; past it a press starts nothing. The program must live through both,
        and once the presses stop, one stop must end every running sweep."""
        p.wait_settled("the window to finish painting")

        def stop_settles(what: str) -> None:
            check(p.alive(), f"the program died during {what}\n{p.output()}")
            p.click(COMMAND3)
            p.wait_settled(f"one stop to end every sweep after {what}", timeout=60)
            share = p.busy_for(1.5)
            check(share < 0.25, f"still busy after {what} and a stop ({share:.0%} of a CPU)")

        def key_storm():
            p.click(COMMAND2)  # gives 形式２ the focus, and starts its sweep
            for _ in range(16):
                p.key_burst("space", 250)
            stop_settles("4,000 presses of Space on 形式２")

        def click_storm():
            for _ in range(4):
                for button in (COMMAND1, COMMAND2, COMMAND4):
                    p.click_burst(button, 100)
            stop_settles("1,200 clicks round the sweep buttons")

        self.case("storm: 4,000 presses of Space, then one stop", key_storm)
        self.case("storm: 1,200 clicks round the sweep buttons, then one stop", click_storm)

    # ---------------------------------------------------------------- (e) closing

    def closing_case(self, name: str, before_close) -> None:
        def body():
            p = self.start("close")
            try:
                p.wait_settled("the window to finish painting")
                before_close(p)
                check(p.alive(), "the program ended before the close request")
                sent = time.monotonic()
                status = p.close_and_wait(self.helper, timeout=self.close_limit * 3)
                took = time.monotonic() - sent
                check(status is not None, f"still running {took:.1f} s after the close request")
                check(took <= self.close_limit,
                      f"took {took:.2f} s to end, more than {self.close_limit} s")
                check(status == 0, f"exit status {status}\n{p.output()}")
                out = p.output()
                for marker in ("runtime error:", "AddressSanitizer", "LeakSanitizer"):
                    check(marker not in out, f"sanitizer report:\n{out}")
            finally:
                p.finish()

        if self.only and not any(o in name for o in self.only):
            return
        self.case(name, body)

    def group_close(self) -> None:
        def idle(_p):
            pass

        def during_draw(p):
            p.click(COMMAND1)
            p.wait_until(lambda s: p.canvas(s).pixel(0, 0) == BLACK, "Draw to start")

        def during_endless_draw(p):
            p.set_box(TEXT2, "1e999")
            p.click(COMMAND1)
            p.wait_until(lambda s: p.canvas(s).pixel(0, 0) == BLACK, "Draw to start")
            check(p.busy_for(2.0) > 0.15, "the endless Draw sweep is not running")

        def during_nested(p):
            p.click(COMMAND2)
            # Draw while style 2 is still drawing: wait for its first curves, then click.
            p.wait_until(lambda s: p.canvas(s).count(lambda c: c != BLACK) > 200
                         and p.canvas(s).pixel(0, 0) == BLACK, "style 2 to start drawing")
            p.click(COMMAND1)

        self.closing_case("close: while idle", idle)
        self.closing_case("close: right after clicking Draw", during_draw)
        self.closing_case("close: during an endless Draw sweep", during_endless_draw)
        def at_the_nesting_bound(p):
            p.click(COMMAND2)
            for _ in range(8):
                p.key_burst("space", 250)
            check(p.alive(), f"the program died during 2,000 presses\n{p.output()}")

        def after_copy(p):
            p.sweep_and_settle(COMMAND1, "a Draw sweep")
            p.click(CANVAS)  # the canvas takes the focus, so Copy copies the picture
            p.key("ctrl+c")

        self.closing_case("close: during Draw started inside a style-2 sweep", during_nested)
        self.closing_case("close: right after copying the picture", after_copy)
        self.closing_case("close: with sweeps nested to the bound by 2,000 presses",
                          at_the_nesting_bound)

    def run(self) -> None:
        self.group("layout", self.group_layout)
        self.group("draw", self.group_draw)
        self.group("negative", self.group_negative)
        for part in ("robustness-text", "robustness-1e999", "robustness-long-line"):
            self.group(part, lambda p, part=part: self.group_robustness(p, part))
        self.group("storm", self.group_storm)
        self.group_close()


def build_helper(workdir: str) -> str:
    source = os.path.join(HERE, "send_delete.c")
    target = os.path.join(workdir, "send_delete")
    compiler = os.environ.get("CC") or shutil.which("cc") or shutil.which("gcc")
    if not compiler:
        raise RuntimeError("no C compiler (cc) to build send_delete")
    result = subprocess.run([compiler, "-O1", "-o", target, source, "-lX11"],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    if result.returncode != 0:
        raise RuntimeError("could not build send_delete:\n" + result.stdout.decode())
    return target


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True, help="the vornlace executable to test")
    parser.add_argument("--form", help="the form's table as JSON (default: web/form1.json "
                                       "beside the binary)")
    parser.add_argument("--first-display", type=int, default=90,
                        help="first X display number to try (default 90)")
    parser.add_argument("--timeout-scale", type=float, default=1.0,
                        help="multiply every time limit but the close limit (slow builds)")
    parser.add_argument("--close-limit", type=float, default=2.0,
                        help="seconds the program may take to end after a close request")
    parser.add_argument("--only", action="append", default=[],
                        help="run only the groups (and closing cases) whose name contains this; "
                             "may be given more than once")
    parser.add_argument("-v", "--verbose", action="store_true")
    args = parser.parse_args()

    started = time.monotonic()
    if not os.access(args.binary, os.X_OK):
        print(f"not an executable: {args.binary}", file=sys.stderr)
        print("0 passed, 1 failed")
        return 1
    load_layout(args.form or os.path.join(os.path.dirname(args.binary), "web", "form1.json"))
    for tool in ("Xvfb", "xdotool", "xwininfo", "xprop", "import"):
        if shutil.which(tool) is None:
            print(f"missing tool: {tool}", file=sys.stderr)
            print("0 passed, 1 failed")
            return 1

    atexit.register(stop_all_children)
    for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, _on_signal)

    workdir = tempfile.mkdtemp(prefix="vornlace-window-")
    suite = None
    try:
        helper = build_helper(workdir)
        xserver = XServer(args.first_display, workdir)
        os.environ["DISPLAY"] = xserver.display
        if args.verbose:
            print(f"Xvfb on {xserver.display}, work files in {workdir}")
        suite = Suite(args, workdir, helper)
        suite.run()
    except Exception:
        traceback.print_exc()
        if suite is None:
            suite = argparse.Namespace(passed=0, failed=0)
        suite.failed += 1
    finally:
        stop_all_children()
        keep = args.verbose or (suite is not None and suite.failed)
        if keep:
            print(f"work files kept in {workdir}")
        else:
            shutil.rmtree(workdir, ignore_errors=True)

    print(f"({time.monotonic() - started:.0f} s)")
    print(f"{suite.passed} passed, {suite.failed} failed")
    return 1 if suite.failed else 0


if __name__ == "__main__":
    sys.exit(main())
