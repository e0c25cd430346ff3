#!/usr/bin/python3
"""Browser tests of the web page: the built site in Chromium, Firefox and WebKit.

    /usr/bin/python3 tests/web/run_web_tests.py --site build/web/site --vornlace build/ci/vornlace
        [--engines chromium,firefox,webkit]

The page's pictures are compared with `vornlace --render` of the same sweep, pixel for pixel, at
device pixel ratios 1 and 2; then nesting, stopping, hostile text, a storm of presses, saving,
opening from disk and the console; then (device_cases.py) phones and tablets, the canvas's menu
and keys, a stop during a long sweep, a core that cannot load, and in Chromium installing and
working offline. The behaviour is the core's, tested natively; these cases check that each
engine drives it as the desktop does. The last line is "N passed, M failed".
Needs /usr/bin/python3 with python3-selenium, Debian's chromium and chromium-driver,
firefox-esr, webkit2gtk-driver and xvfb, and `npm ci` run in tests/web; no display.
"""

from __future__ import annotations

import argparse
import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402  (next to this file)
import engines  # noqa: E402
from browser import CheckFailed, check  # noqa: E402
from device_cases import DeviceCases  # noqa: E402

TAB_ORDER = ["Picture1", "Command1", "Text1", "Text2", "Command2", "Command3", "Command4"]
SWEEP_OF = {"Command1": "draw", "Command2": "style2", "Command4": "style3"}
CANVAS = (573, 413)

# Hostile text for the boxes (Text1, Text2, the button): each must draw what the command line
# draws from the same text.
HOSTILE = [
    ("", "", "Command4"),
    ("abc", "abc", "Command1"),
    ("60", "－５", "Command2"),
    ("４５度", "４５度", "Command1"),
    ("7" * 10000, "90", "Command1"),
    ("60", " ０．５e+1x", "Command4"),
]


class Suite(DeviceCases):
    def __init__(self, args, workdir: str):
        self.site_dir = os.path.abspath(args.site)
        self.vornlace = os.path.abspath(args.vornlace)
        # Reference pictures at any canvas size, from the same build's tests.
        self.render_canvas = os.path.join(os.path.dirname(self.vornlace), "tests", "render_canvas")
        # The form's table as the page's build wrote it, beside the site.
        self.form_json = os.path.join(os.path.dirname(self.site_dir), "form1.json")
        self.workdir = workdir
        self.renders: dict[tuple, tuple] = {}
        self.passed = 0
        self.failed = 0
        self.site = browser.Site(self.site_dir)
        self.page: browser.Browser | None = None
        self.engine = ""
        self.ratio = 1

    def case(self, name: str, body, *args) -> None:
        started = time.monotonic()
        label = f"{self.engine} ratio {self.ratio}: {name}"
        try:
            body(*args)
        except CheckFailed as e:
            self.failed += 1
            print(f"FAIL  {label}: {e}", flush=True)
            return
        except Exception:
            self.failed += 1
            print(f"FAIL  {label}: unexpected error\n{traceback.format_exc()}", flush=True)
            return
        self.passed += 1
        print(f"ok    {label} ({time.monotonic() - started:.1f} s)", flush=True)

    # --- pictures ---------------------------------------------------------------------------

    def render(self, sweep: str, style1_max: str = "60", sweep_max: str = "90") -> tuple:
        key = (sweep, style1_max, sweep_max, self.ratio)
        if key not in self.renders:
            path = os.path.join(self.workdir, f"render-{len(self.renders)}.ppm")
            subprocess.run([self.vornlace, "--render", sweep, "--style1-max", style1_max,
                            "--max", sweep_max, "--scale", str(self.ratio), "--output", path],
                           check=True, timeout=120)
            self.renders[key] = browser.read_ppm(path)
        return self.renders[key]

    def check_canvas(self, expected: tuple, what: str) -> None:
        width, height, rgb = self.page.canvas_rgb()
        ew, eh, ergb = expected
        check((width, height) == (ew, eh),
              f"{what}: canvas {width} x {height}, the render {ew} x {eh}")
        if rgb == ergb:
            return
        differing = sum(1 for i in range(0, len(rgb), 3) if rgb[i:i + 3] != ergb[i:i + 3])
        stem = os.path.join(self.workdir, f"mismatch-{self.failed:02d}")
        browser.write_ppm(stem + "-page.ppm", width, height, rgb)
        browser.write_ppm(stem + "-render.ppm", ew, eh, ergb)
        raise CheckFailed(f"{what}: {differing} of {width * height} pixels differ from the "
                          f"render (both kept as {stem}-*.ppm)")

    def sweep(self, button: str, text1: str = "60", text2: str = "90") -> None:
        self.page.set_box("Text1", text1)
        self.page.set_box("Text2", text2)
        self.page.click(button)
        self.page.wait_idle()

    def sweep_matches_render(self, button: str, text1: str = "60", text2: str = "90") -> None:
        self.sweep(button, text1, text2)
        self.check_canvas(self.render(SWEEP_OF[button], text1, text2),
                          f"{SWEEP_OF[button]} with {text1[:12]!r}, {text2[:12]!r}")

    # --- cases ------------------------------------------------------------------------------

    def layout(self) -> None:
        page = self.page
        check(page.js("return document.documentElement.lang;") == "ja", "lang is not ja")
        client = page.js("const r = document.getElementById('Form1').getBoundingClientRect();"
                         "return [r.width, r.height];")
        with open(self.form_json, encoding="utf-8") as f:
            table = json.load(f)
        check(client == table["client"], f"Form1 is {client}, not {table['client']}")
        for control in table["controls"]:
            name, rect = control["name"], control["rect"]
            caption = control["text"]
            got = page.js("""
                const form = document.getElementById('Form1').getBoundingClientRect();
                const e = document.getElementById(arguments[0]);
                const r = e.getBoundingClientRect();
                return [[r.left - form.left, r.top - form.top, r.width, r.height],
                        e.tagName === 'INPUT' ? e.value
                        : e.tagName === 'CANVAS' ? e.getAttribute('aria-label') : e.textContent];
                """, name)
            check(got[0] == list(rect), f"{name} stands at {got[0]}, not {list(rect)}")
            check(got[1] == caption, f"{name} reads {got[1]!r}, not {caption!r}")
        inside = page.js("const s = getComputedStyle(document.getElementById('Picture1'));"
                         "return [s.borderTopWidth, s.borderLeftWidth];")
        check(inside == ["2px", "2px"], f"Picture1's border is {inside}")
        check(page.canvas_size() == CANVAS, f"the canvas holds {page.canvas_size()} pixels")
        page.js("document.activeElement.blur();")
        order = []
        for _ in TAB_ORDER:
            page.press("Tab")
            order.append(page.js("return document.activeElement.id;"))
        check(order == TAB_ORDER, f"tab order {order}")

    def sized_when_ready(self) -> None:
        # A press as soon as the page says it is ready draws for the device pixels: a canvas
        # still at its first size would get the sweep's first curves at the wrong scale.
        at_ready = self.page.canvas_size()
        width, height = CANVAS[0] * self.ratio, CANVAS[1] * self.ratio
        self.page.wait_for(f"document.getElementById('Picture1').width === {width}", 5,
                           f"the canvas did not take its {width} device pixels")
        check(at_ready == (width, height),
              f"the page was ready with the canvas at {at_ready} pixels, not {width} x {height}")

    def nested(self) -> None:
        # A style-2 sweep to 0 pressed before the style-3 sweep to 10 drew its first curve:
        # it clears, draws its curve and yellow closing curve; then the style-3 sweep resumes
        # its own loop over that. Color3 is never black, so the result is the style-3 render
        # wherever that is not black, and the inner sweep's picture elsewhere.
        self.page.set_box("Text2", "10")
        self.page.js(f"""
            document.getElementById('Command4').click();
            document.getElementById('Text2').value = '0';
            document.getElementById('Command2').click();
            window.nestedDepth = {self.page.RUNNING};""")
        self.page.wait_idle()
        check(self.page.js("return window.nestedDepth;") == 2, "the second press did not nest")
        outer = self.render("style3", "60", "10")
        inner = self.render("style2", "60", "0")
        rgb = bytearray(inner[2])
        for i in range(0, len(rgb), 3):
            if outer[2][i:i + 3] != b"\0\0\0":
                rgb[i:i + 3] = outer[2][i:i + 3]
        check(bytes(rgb) != outer[2], "the inner sweep left nothing to see")
        self.check_canvas((outer[0], outer[1], bytes(rgb)), "style 2 inside style 3")

    def one_stop_ends_all(self) -> None:
        page = self.page
        page.set_box("Text1", "1e999")
        page.set_box("Text2", "1e999")
        for button in ("Command2", "Command1", "Command4"):
            page.click(button)
        time.sleep(0.3)
        depth = page.running()
        check(page.busy() and depth == 3, f"{depth} sweeps running, not the 3 endless ones")
        page.click("Command3")
        page.wait_idle(limit=2)
        check(page.running() == 0, "a sweep still runs")

    def hostile(self) -> None:
        for text1, text2, button in HOSTILE:
            self.sweep_matches_render(button, text1, text2)
        # Twenty megabytes of text make the core's memory grow while it takes them over; they
        # read as the same endless number as the ten thousand sevens above.
        self.sweep("Command1", "7" * 10_000_000, "90")
        self.check_canvas(self.render("draw", "7" * 10000, "90"), "draw after a growing hand-over")
        self.page.set_box("Text1", "60")

    def storm(self) -> None:
        page = self.page
        page.set_box("Text2", "90")
        depth = page.js(f"""
            const buttons = ['Command1', 'Command2', 'Command4'].map(
                (id) => document.getElementById(id));
            for (let i = 0; i < 1000; i += 1) buttons[i % 3].click();
            return {page.RUNNING};""")
        check(depth == 32, f"{depth} sweeps running after the storm, not the bound of 32")
        # As on the desktop, one stop ends them all at once, not one a frame (32 frames). Counted
        # from the click: a frame may come before the step that ends them, and the page's
        # present after that step may queue behind this count's next frame, so at most 3.
        frames = page.js_async("""
            const done = arguments[arguments.length - 1];
            const picture = document.getElementById('Picture1');
            let frames = 0;
            const count = () => {
              frames += 1;
              if (picture.ariaBusy === 'true' && frames < 100) requestAnimationFrame(count);
              else done(frames);
            };
            document.getElementById('Command3').click();
            requestAnimationFrame(count);""")
        check(frames <= 3, f"the stop took {frames} frames to end the sweeps")
        self.sweep_matches_render("Command4", "60", "0")

    def save(self) -> None:
        self.sweep("Command2", "60", "4.5")
        self.page.focus("Text1")
        self.page.press("Control+s")  # in a box, as a user would
        self.downloaded("vornlace-style2-4.5.png")

    def downloaded(self, name: str) -> None:
        """Checks that the page saved the canvas as it stands, as a PNG under this name."""
        folder = self.page.downloads
        # The canvas through the same browser's PNG encoder: the download's bytes.
        expected = base64.b64decode(self.page.js_async("""
            const done = arguments[arguments.length - 1];
            document.getElementById('Picture1').toBlob(async (blob) => {
              const bytes = new Uint8Array(await blob.arrayBuffer());
              let text = '';
              for (let i = 0; i < bytes.length; i += 0x8000) {
                text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
              }
              done(btoa(text));
            }, 'image/png');"""))
        path = os.path.join(folder, name)
        saved = b""
        deadline = time.monotonic() + 10
        while saved != expected and time.monotonic() < deadline:  # some engines write in place
            time.sleep(0.05)
            if os.path.exists(path):
                with open(path, "rb") as f:
                    saved = f.read()
        check(os.path.exists(path), f"no {name} among {os.listdir(folder)}")
        check(saved == expected, f"the download's {len(saved)} bytes are not the canvas's PNG "
                                 f"({len(expected)} bytes)")
        os.remove(path)

    def from_disk(self) -> None:
        self.page.open("file://" + os.path.join(self.site_dir, "index.html"))
        self.sweep_matches_render("Command4", "60", "0")
        self.page.open(self.site.url)

    def console_and_requests(self) -> None:
        foreign = self.page.js("""
            return performance.getEntriesByType('resource').map((e) => e.name)
                .filter((url) => !url.startsWith(location.origin + '/'));""")
        check(foreign == [], f"requests left the site: {foreign}")
        errors = self.page.console_errors()
        check(errors == [], f"console errors: {errors}")

    # --- sessions ---------------------------------------------------------------------------

    def session(self, engine, ratio: int) -> None:
        self.engine, self.ratio = engine.name, ratio
        try:
            self.page = engine(ratio)
            self.page.open(self.site.url)
        except Exception:
            self.failed += 1
            print(f"FAIL  {engine.name} ratio {ratio}: the page did not open\n"
                  f"{traceback.format_exc()}", flush=True)
            if self.page is not None:
                self.page.close()
            self.page = None
            return
        try:
            self.case("the canvas holds its device pixels once the page is ready",
                      self.sized_when_ready)
            if ratio == 1:
                self.case("layout, captions and tab order", self.layout)
            for button in ("Command1", "Command2", "Command4"):
                self.case(f"{SWEEP_OF[button]} sweep equals the render",
                          self.sweep_matches_render, button)
            if ratio == 1:
                self.case("a sweep pressed during a sweep runs inside it", self.nested)
                self.case("one stop ends every running sweep", self.one_stop_ends_all)
                self.case("hostile text draws what the command line draws", self.hostile)
                self.case("1,000 presses, then one stop settles; the page still answers",
                          self.storm)
                self.case("index.html opened from disk works", self.from_disk)
            self.case("Ctrl+S downloads the canvas under the suggested name", self.save)
            if ratio == 1:
                self.case("the canvas's menu and keys save and copy the picture",
                          self.menu_and_keys)
                self.case("a stop during a long sweep ends it within a curve",
                          self.stop_during_long_sweep)
                self.case("without its core the page says so and offers nothing",
                          self.broken_core)
            if engine.name == "chromium" and ratio == 1:
                self.case("installable, and offline after one visit", self.offline_and_installable)
            if ratio == engine.ratios[-1]:
                self.case("phones and tablets: all in view, thumb-sized, sharp", self.phones)
            self.case("no console errors, no request leaves the site", self.console_and_requests)
        finally:
            self.page.close()
            self.page = None

    def close(self) -> None:
        self.site.close()


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", required=True, help="the built site (build/web/site)")
    parser.add_argument("--vornlace", required=True, help="the vornlace binary, for --render")
    parser.add_argument("--engines", default=",".join(engines.ENGINES),
                        help="which engines, comma-separated (default: %(default)s)")
    args = parser.parse_args()
    chosen = args.engines.split(",")
    unknown = [name for name in chosen if name not in engines.ENGINES]
    if unknown:
        parser.error(f"no engine {', '.join(unknown)}; there are {', '.join(engines.ENGINES)}")
    for needed in (os.path.join(args.site, "index.html"), args.vornlace):
        if not os.path.exists(needed):
            print(f"missing: {needed}", file=sys.stderr)
            print("0 passed, 1 failed")
            return 1

    started = time.monotonic()
    workdir = tempfile.mkdtemp(prefix="vornlace-web-")
    suite = Suite(args, workdir)
    times = []
    try:
        for name in chosen:
            engine_started = time.monotonic()
            for ratio in engines.ENGINES[name].ratios:
                suite.session(engines.ENGINES[name], ratio)
            times.append(f"{name} {time.monotonic() - engine_started:.0f} s")
    finally:
        suite.close()
    if suite.failed:
        print(f"work files kept in {workdir}")
    else:
        shutil.rmtree(workdir, ignore_errors=True)
    print(f"({', '.join(times)}; {time.monotonic() - started:.0f} s in all)")
    print(f"{suite.passed} passed, {suite.failed} failed")
    return 1 if suite.failed else 0


if __name__ == "__main__":
    sys.exit(main())
