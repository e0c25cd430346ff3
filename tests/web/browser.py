"""The web page in a real browser, for the browser tests and the web benchmark.

Serves a built site (build/web/site) on 127.0.0.1 from a thread, and reads the page the way its
users and screen readers do: by the control names, aria-busy on Picture1 and the canvas's own
pixels. Browser is what the tests see of any engine; engines.py holds the three engines behind
it (Chromium, Firefox and WebKit), each with a fresh profile and no network of its own.
"""

from __future__ import annotations

import base64
import functools
import http.server
import threading
import time


class CheckFailed(Exception):
    pass


def check(condition: bool, message: str) -> None:
    if not condition:
        raise CheckFailed(message)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    """The site's files; under /broken/ the same site whose core is missing."""

    BROKEN = "/broken/"

    def log_message(self, *args) -> None:  # the suite reports, not the server
        pass

    def do_GET(self) -> None:
        if self.path.startswith(self.BROKEN):
            if self.path.endswith("vornlace-core.js"):
                self.send_error(404)
                return
            self.path = "/" + self.path[len(self.BROKEN):]
        super().do_GET()


class Site:
    """The site's folder served over HTTP on 127.0.0.1 at a free port, until close()."""

    def __init__(self, folder: str):
        handler = functools.partial(QuietHandler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self) -> None:
        self.server.shutdown()
        self.server.server_close()


class Browser:
    """One page in one engine at a device pixel ratio.

    An engine provides navigate, js, js_async, click, press, set_viewport, screenshot,
    console_errors and close, and a folder `downloads` where the files the page saves land;
    those that can, also emulate a device's screen (emulate).
    Scripts are function bodies: they read their arguments as arguments[i] and give their value
    with return; js_async's body calls its last argument with the value instead.
    """

    name = "?"
    ratios: tuple[int, ...] = (1,)
    VIEWPORT = (1000, 700)  # CSS pixels; holds the desktop's form with room to spare
    # How many sweeps the core is running, as a script expression: the one place the tests
    # read the core's state.
    RUNNING = "window.vornlace.running"

    downloads = ""

    def open(self, url: str, limit: float = 10.0) -> None:
        """Loads the page and waits until its core is ready for clicks."""
        self.navigate(url)
        self.wait_for("document.getElementById('Form1').dataset.ready === 'true'", limit,
                      "the page was not ready")

    def wait_for(self, condition: str, limit: float, what: str) -> None:
        deadline = time.monotonic() + limit
        while not self.js(f"return Boolean({condition});"):
            if time.monotonic() > deadline:
                raise TimeoutError(f"{what} within {limit:g} s")
            time.sleep(0.02)

    def emulate(self, width: int = 0, height: int = 0, ratio: int = 0) -> bool:
        """A device's screen of width x height CSS pixels at a ratio, or back to the session's
        own with no arguments; False where the engine cannot show that screen."""
        return False

    def running(self) -> int:
        return self.js(f"return {self.RUNNING};")

    def busy(self) -> bool:
        return self.js("return document.getElementById('Picture1').ariaBusy === 'true';")

    def wait_idle(self, limit: float = 60.0) -> None:
        self.wait_for("document.getElementById('Picture1').ariaBusy === 'false'", limit,
                      "aria-busy did not fall")

    def set_box(self, name: str, text: str) -> None:
        self.js("const box = document.getElementById(arguments[0]); box.value = arguments[1];"
                "box.dispatchEvent(new Event('input', {bubbles: true}));", name, text)

    def focus(self, name: str) -> None:
        self.js("document.getElementById(arguments[0]).focus();", name)

    def canvas_size(self) -> tuple[int, int]:
        return tuple(self.js("const c = document.getElementById('Picture1');"
                             "return [c.width, c.height];"))

    def canvas_rgb(self) -> tuple[int, int, bytes]:
        """The canvas's backing store as width, height and R, G, B bytes, row by row."""
        width, height, data = self.js("""
            const c = document.getElementById('Picture1');
            const rgba = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
            const rgb = new Uint8Array(c.width * c.height * 3);
            for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) {
              rgb[j] = rgba[i]; rgb[j + 1] = rgba[i + 1]; rgb[j + 2] = rgba[i + 2];
            }
            let text = '';
            for (let i = 0; i < rgb.length; i += 0x8000) {
              text += String.fromCharCode.apply(null, rgb.subarray(i, i + 0x8000));
            }
            return [c.width, c.height, btoa(text)];""")
        return width, height, base64.b64decode(data)


def read_ppm(path: str) -> tuple[int, int, bytes]:
    """A binary PPM (P6, maxval 255) as width, height and its RGB bytes."""
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path}: not a binary PPM with maxval 255")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:at + 1 + width * height * 3]


def write_ppm(path: str, width: int, height: int, rgb: bytes) -> None:
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        f.write(rgb)
