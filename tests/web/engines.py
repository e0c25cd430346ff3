"""The three browser engines behind browser.Browser, each headless or on a private display.

Chromium: Debian's chromium through chromedriver (python3-selenium, so /usr/bin/python3).
Firefox: Debian's firefox-esr through WebDriver BiDi, driven by puppeteer-core in a Node process
(firefox_bridge.mjs) that takes one JSON command a line; `npm ci` in this folder installs it.
WebKit: WebKitGTK's MiniBrowser through WebKitWebDriver, in an Xvfb of its own.
"""

from __future__ import annotations

import contextlib
import json
import os
import shutil
import subprocess
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

from browser import Browser

HERE = os.path.dirname(os.path.abspath(__file__))
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
FIREFOX = "/usr/bin/firefox-esr"
FIREFOX_BRIDGE = os.path.join(HERE, "firefox_bridge.mjs")
WEBKITDRIVER = "/usr/bin/WebKitWebDriver"
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"

# Flags that keep a headless Chromium from reaching out: no sync, no component or safe-browsing
# updates, no QUIC probes, no first-run pages.
QUIET_FLAGS = [
    "--headless",
    "--disable-gpu",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--disable-default-apps",
    "--disable-extensions",
    "--no-first-run",
    "--no-default-browser-check",
    "--disable-quic",
    "--disable-dev-shm-usage",
    "--window-size=%d,%d" % Browser.VIEWPORT,
]

# Errors the page meets after it is ready, kept in the page where no log reaches the tests.
ERROR_RECORDER = """
    if (window.pageErrors) return;
    const errors = window.pageErrors = [];
    addEventListener('error', (e) => errors.push(e.message || `${e.target.src} did not load`),
                     true);
    addEventListener('unhandledrejection', (e) => errors.push(String(e.reason)));
    const error = console.error;
    console.error = (...args) => { errors.push(args.join(' ')); error.apply(console, args); };"""


class SeleniumBrowser(Browser):
    """An engine driven through a WebDriver server."""

    driver: webdriver.Remote
    KEYS = {"Control": Keys.CONTROL, "Shift": Keys.SHIFT, "Tab": Keys.TAB,
            "Escape": Keys.ESCAPE, "F10": Keys.F10}

    def navigate(self, url: str) -> None:
        self.driver.get(url)

    def js(self, script: str, *args):
        return self.driver.execute_script(script, *args)

    def js_async(self, script: str, *args):
        return self.driver.execute_async_script(script, *args)

    def click(self, name: str) -> None:
        self.driver.find_element("id", name).click()

    def press(self, combo: str) -> None:
        """Keys such as "Tab" or "Control+s", to the focused element."""
        *modifiers, key = combo.split("+")
        actions = ActionChains(self.driver)
        for modifier in modifiers:
            actions.key_down(self.KEYS[modifier])
        actions.send_keys(self.KEYS.get(key, key))
        for modifier in reversed(modifiers):
            actions.key_up(self.KEYS[modifier])
        actions.perform()

    def set_viewport(self, width: int, height: int) -> None:
        self.driver.set_window_size(width, height)
        inner = self.js("return [innerWidth, innerHeight];")  # less the window's own bars
        self.driver.set_window_size(2 * width - inner[0], 2 * height - inner[1])

    def screenshot(self, path: str) -> None:
        self.driver.save_screenshot(path)


class Chromium(SeleniumBrowser):
    name = "chromium"
    ratios = (1, 2)

    def __init__(self, ratio: float = 1.0):
        self.profile = tempfile.mkdtemp(prefix="vornlace-chromium-")
        self.downloads = os.path.join(self.profile, "downloads")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in QUIET_FLAGS:
            options.add_argument(flag)
        options.add_argument(f"--user-data-dir={self.profile}")
        options.add_argument(f"--force-device-scale-factor={ratio:g}")
        if os.geteuid() == 0:
            options.add_argument("--no-sandbox")  # Chromium's sandbox refuses to run as root
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        try:
            self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
            self.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                        {"behavior": "allow", "downloadPath": self.downloads})
        except Exception:
            shutil.rmtree(self.profile, ignore_errors=True)
            raise
        self.version = self.driver.capabilities.get("browserVersion", "?")

    def cdp(self, command: str, **fields):
        return self.driver.execute_cdp_cmd(command, fields)

    def emulate(self, width: int = 0, height: int = 0, ratio: int = 0) -> bool:
        if width == 0:
            self.cdp("Emulation.clearDeviceMetricsOverride")
        else:
            self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                     deviceScaleFactor=ratio, mobile=True)
        return True

    def console_errors(self) -> list[str]:
        return [m["message"] for m in self.driver.get_log("browser") if m["level"] == "SEVERE"]

    def close(self) -> None:
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)


@contextlib.contextmanager
def environment(changes: dict):
    """os.environ with some variables set, for a child started inside the block."""
    saved = {name: os.environ.get(name) for name in changes}
    os.environ.update(changes)
    try:
        yield
    finally:
        for name, value in saved.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value


class WebKit(SeleniumBrowser):
    """MiniBrowser at GDK_SCALE = ratio; it saves downloads in its home folder, a fresh one.

    WebKitWebDriver keeps no console log, so errors are recorded by the page itself from the
    moment it is ready, and kept here when it is left: an error while loading shows as a page
    that never gets ready.
    """

    name = "webkit"
    ratios = (1, 2)

    def __init__(self, ratio: int = 1):
        self.home = self.downloads = tempfile.mkdtemp(prefix="vornlace-webkit-")
        self.errors: list[str] = []
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "2560x1600x24",
                                      "-nolisten", "tcp"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            display = self.xvfb.stdout.readline().decode().strip()
            options = webdriver.WebKitGTKOptions()
            options.binary_location = MINIBROWSER
            options.add_argument("--automation")
            with environment({"DISPLAY": f":{display}", "HOME": self.home,
                              "GDK_SCALE": str(ratio)}):
                self.driver = webdriver.WebKitGTK(executable_path=WEBKITDRIVER, options=options)
            self.set_viewport(*self.VIEWPORT)
        except Exception:
            self.xvfb.terminate()
            self.xvfb.wait()
            shutil.rmtree(self.home, ignore_errors=True)
            raise
        self.version = self.driver.capabilities.get("browserVersion", "?")

    def open(self, url: str, limit: float = 10.0) -> None:
        self.errors += self.console_errors()
        super().open(url, limit)
        self.js(ERROR_RECORDER)

    def console_errors(self) -> list[str]:
        taken, self.errors = self.errors, []
        return taken + self.js("return window.pageErrors ? window.pageErrors.splice(0) : [];")

    def close(self) -> None:
        try:
            self.driver.quit()
        finally:
            self.xvfb.terminate()
            self.xvfb.wait()
            shutil.rmtree(self.home, ignore_errors=True)


class Firefox(Browser):
    """Firefox ESR at layout.css.devPixelsPerPx = ratio, through the Node bridge."""

    name = "firefox"
    ratios = (1, 2)

    def __init__(self, ratio: int = 1):
        if not os.path.isdir(os.path.join(HERE, "node_modules", "puppeteer-core")):
            raise RuntimeError(f"puppeteer-core is not installed: run npm ci --prefix {HERE}")
        self.ratio = ratio
        self.downloads = tempfile.mkdtemp(prefix="vornlace-firefox-")
        self.bridge = subprocess.Popen(["node", FIREFOX_BRIDGE], stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, text=True, encoding="utf-8")
        try:
            self.version = self.call("launch", executable=FIREFOX, ratio=ratio,
                                     downloads=self.downloads, viewport=self.VIEWPORT)
            # The launch's viewport is in device pixels; at ratio 2 it would hold too little of
            # the desktop's layout. Set it again, in CSS pixels.
            self.set_viewport(*self.VIEWPORT)
        except Exception:
            self.close()
            raise

    def call(self, op: str, **fields):
        self.bridge.stdin.write(json.dumps({"op": op, **fields}) + "\n")
        self.bridge.stdin.flush()
        line = self.bridge.stdout.readline()
        if not line:
            raise RuntimeError(f"the Firefox bridge ended during {op}")
        reply = json.loads(line)
        if "error" in reply:
            raise RuntimeError(f"Firefox, {op}: {reply['error']}")
        return reply.get("value")

    def navigate(self, url: str) -> None:
        self.call("goto", url=url)

    def js(self, script: str, *args):
        return self.call("evaluate", body=script, args=args, callback=False)

    def js_async(self, script: str, *args):
        return self.call("evaluate", body=script, args=args, callback=True)

    def click(self, name: str) -> None:
        self.call("click", id=name)

    def press(self, combo: str) -> None:
        self.call("press", combo=combo)

    def set_viewport(self, width: int, height: int) -> None:
        self.call("viewport", width=width, height=height)

    def emulate(self, width: int = 0, height: int = 0, ratio: int = 0) -> bool:
        """Firefox's viewport at the session's own ratio."""
        if width == 0:
            width, height = self.VIEWPORT
        elif ratio != self.ratio:
            return False
        self.set_viewport(width, height)
        return True

    def screenshot(self, path: str) -> None:
        self.call("screenshot", path=path)

    def console_errors(self) -> list[str]:
        return self.call("errors")

    def close(self) -> None:
        try:
            if self.bridge.poll() is None:
                self.call("close")
        finally:
            self.bridge.stdin.close()
            self.bridge.wait(timeout=30)
            shutil.rmtree(self.downloads, ignore_errors=True)


ENGINES = {engine.name: engine for engine in (Chromium, Firefox, WebKit)}
