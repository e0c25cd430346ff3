"""The browser cases of the page on phones and tablets, its menu and keys, a core that cannot
load, offline use and installing, and a stop during a long sweep. Part of run_web_tests.py's
suite, which provides page, site, check, sweep, downloaded and the reference renders."""

from __future__ import annotations

import os
import subprocess
import time

import browser
from browser import check

# Phones and a tablet, in both orientations: CSS pixels and device pixel ratio.
DEVICES = [(360, 640, 2), (640, 360, 2), (390, 844, 3), (844, 390, 3), (768, 1024, 2)]

# The geometry a user meets, in CSS pixels: the viewport, what scrolls, and every control.
GEOMETRY = """
    const controls = [...document.querySelectorAll('#Form1 > canvas, button, input, label')]
        .filter((e) => !e.closest('#CanvasMenu'));
    const c = document.getElementById('Picture1');
    return {
      viewport: [innerWidth, innerHeight],
      scrolls: [document.documentElement.scrollWidth, document.documentElement.scrollHeight],
      ratio: devicePixelRatio,
      backing: [c.width, c.height],
      inside: [c.clientWidth, c.clientHeight],
      controls: controls.map((e) => {
        const r = e.getBoundingClientRect();
        return {id: e.id, tag: e.tagName, rect: [r.left, r.top, r.right, r.bottom],
                font: parseFloat(getComputedStyle(e).fontSize)};
      }),
    };"""

MENU_STATE = """
    const menu = document.getElementById('CanvasMenu');
    return [menu.hidden, [...menu.querySelectorAll('[role=menuitem]')].map((e) => e.textContent),
            document.activeElement.id];"""


def apart(a: list, b: list, gap: float) -> bool:
    return a[2] + gap <= b[0] or b[2] + gap <= a[0] or a[3] + gap <= b[1] or b[3] + gap <= a[1]


class DeviceCases:
    def render_at(self, width: int, height: int, sweep: str, text2: str) -> tuple:
        path = os.path.join(self.workdir, f"canvas-{width}x{height}-{sweep}-{text2}.ppm")
        subprocess.run([self.render_canvas, str(width), str(height), sweep, "60", text2, path],
                       check=True, timeout=120)
        return browser.read_ppm(path)

    def phones(self) -> None:
        shown = 0
        for width, height, ratio in DEVICES:
            if not self.page.emulate(width, height, ratio):
                continue
            shown += 1
            self.page.open(self.site.url)
            self.phone_layout(f"{width} x {height} at {ratio}")
            self.sweep("Command2", "60", "10")
            w, h = self.page.canvas_size()
            self.check_canvas(self.render_at(w, h, "style2", "10"), f"{width} x {height}")
        self.page.emulate()
        self.page.open(self.site.url)
        check_shown = shown > 0 or self.page.name == "webkit"
        check(check_shown, "no device's screen could be shown")

    def phone_layout(self, device: str) -> None:
        g = self.page.js(GEOMETRY)
        vw, vh = g["viewport"]
        check(g["scrolls"][0] <= vw and g["scrolls"][1] <= vh,
              f"{device}: the page scrolls, {g['scrolls']} in a viewport of {g['viewport']}")
        touched = [c for c in g["controls"] if c["tag"] in ("BUTTON", "INPUT")]
        for c in g["controls"]:
            left, top, right, bottom = c["rect"]
            check(left >= 0 and top >= 0 and right <= vw and bottom <= vh,
                  f"{device}: {c['id']} at {c['rect']} is not all in view")
            check(c["tag"] == "CANVAS" or c["font"] >= 14, f"{device}: {c['id']}'s captions are "
                  f"{c['font']} pixels")
        for i, a in enumerate(touched):
            check(a["rect"][3] - a["rect"][1] >= 44, f"{device}: {a['id']} is under 44 pixels tall")
            for b in touched[i + 1:]:
                check(apart(a["rect"], b["rect"], 4), f"{device}: {a['id']} and {b['id']} touch")
        for got, css in zip(g["backing"], g["inside"]):
            check(abs(got - css * g["ratio"]) <= 1, f"{device}: the canvas holds {g['backing']} "
                  f"pixels for {g['inside']} CSS pixels at ratio {g['ratio']}")

    def menu_and_keys(self) -> None:
        page = self.page
        self.sweep("Command4", "60", "3")
        page.js("document.getElementById('Picture1').dispatchEvent(new MouseEvent('contextmenu',"
                "{bubbles: true, cancelable: true, button: 2, clientX: 40, clientY: 50}));")
        check(page.js(MENU_STATE) == [False, ["画像を保存", "画像をコピー"], "SaveImage"],
              f"after a right click the menu is {page.js(MENU_STATE)}")
        page.press("Escape")
        check(page.js(MENU_STATE)[::2] == [True, "Picture1"], "Escape left the menu open")
        page.focus("Picture1")
        page.press("Shift+F10")
        check(page.js(MENU_STATE)[::2] == [False, "SaveImage"], "Shift+F10 opened no menu")
        page.click("SaveImage")
        self.downloaded("vornlace-style3-3.png")
        page.focus("Picture1")
        page.press("Control+c")
        time.sleep(0.5)
        copied = page.js("""const m = document.getElementById('Message');
                            return m.hidden ? '' : m.textContent;""")
        check(copied in ("", "画像をコピーできませんでした。このブラウザーでは画像のコピーが許可されていません。"),
              f"Ctrl+C on the canvas said {copied!r}")

    def broken_core(self) -> None:
        self.page.navigate(self.site.url + "broken/")
        self.page.wait_for("document.getElementById('Form1').classList.contains('failed')", 10,
                           "the page did not say it cannot run")
        state = self.page.js("""
            return [document.getElementById('Status').textContent,
                    getComputedStyle(document.getElementById('Picture1')).visibility,
                    [...document.querySelectorAll('#Form1 button, #Form1 input')]
                        .every((e) => e.disabled)];""")
        check(state[0].startswith("この頁を表示できませんでした") and state[1:] == ["hidden", True],
                   f"without its core the page shows {state}")
        self.page.open(self.site.url)
        self.page.console_errors()  # the missing core's, and the broken page's left unloaded

    def offline_and_installable(self) -> None:
        page = self.page
        check(page.cdp("Page.getInstallabilityErrors")["installabilityErrors"] == [],
              "the page is not installable")
        manifest = page.cdp("Page.getAppManifest")
        check(manifest.get("errors") == [], f"the manifest has errors: {manifest.get('errors')}")
        page.js_async("navigator.serviceWorker.ready.then(() => arguments[0]());")
        page.cdp("Network.enable")
        offline = {"latency": 0, "downloadThroughput": -1, "uploadThroughput": -1}
        page.cdp("Network.emulateNetworkConditions", offline=True, **offline)
        try:
            page.open(self.site.url)
            self.sweep_matches_render("Command4", "60", "0")
        finally:
            page.cdp("Network.emulateNetworkConditions", offline=False, **offline)

    def stop_during_long_sweep(self) -> None:
        self.page.set_box("Text2", "1e6")
        self.page.click("Command2")
        time.sleep(0.5)
        self.page.click("Command3")
        self.page.wait_idle(limit=5)
        # The curve being drawn when the click came ends; none starts once the page has it.
        after = self.page.js("return window.vornlace.curvesAfterStopHandled;")
        check(after == 0, f"{after} curves were drawn after the page had the stop click")

