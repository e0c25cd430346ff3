#!/usr/bin/python3
"""Accessibility check of the built vornlace binary, as a screen reader sees it.

Runs the program in a private Xvfb and D-Bus session with the AT-SPI bus started first, walks
the window's accessible tree with pyatspi and prints it, then checks each control's role and
name, that the canvas takes the focus, that Shift+F10 opens the canvas's context menu and a
text box's (in Qt's Japanese), and that the canvas's description names the sweep a screen
reader started.

    /usr/bin/python3 tests/window/accessibility_check.py --binary build/ci/vornlace

Needs Debian's python3-pyatspi (so /usr/bin/python3), at-spi2-core, dbus-run-session and
dbus-send, and the X tools of run_window_tests.py next to it. It restarts itself inside
dbus-run-session. The last line printed is "N passed, M failed".
"""

from __future__ import annotations

import argparse
import atexit
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_window_tests import CheckFailed, Program, XServer, run_tool, stop_all_children  # noqa: E402

SESSION_MARK = "VORNLACE_ACCESSIBILITY_SESSION"

# Every control of the window as a screen reader must find it: role and name, the text boxes
# named by their labels.
EXPECTED_CONTROLS = sorted([
    ("canvas", "描画領域"),
    ("push button", "描画"),
    ("label", "形式1最大値"),
    ("text", "形式1最大値"),
    ("label", "表示最大値"),
    ("text", "表示最大値"),
    ("push button", "形式２"),
    ("push button", "形式3"),
    ("push button", "描画中止"),
])
CANVAS_MENU = ["画像を保存...", "アニメーションを保存...", "画像をコピー"]


def wait_for(predicate, what: str, timeout: float = 20.0):
    """Polls predicate, delivering the accessibility events that arrive meanwhile."""
    from gi.repository import GLib
    context = GLib.MainContext.default()
    deadline = time.monotonic() + timeout
    while True:
        while context.iteration(False):
            pass
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise CheckFailed(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(0.05)


class Tree:
    """The program's accessible objects, read through pyatspi."""

    def __init__(self, pid: int):
        import pyatspi  # needs the session's bus address, so only once it is up
        self.pyatspi = pyatspi
        self.pid = pid
        # A popup menu is no child of the application in the tree; a screen reader learns of it
        # from the event that it shows.
        self.menu = None
        pyatspi.Registry.registerEventListener(self._on_showing, "object:state-changed:showing")

    def _on_showing(self, event) -> None:
        if not event.detail1:
            if event.source == self.menu:  # a text box's menu may be gone by now
                self.menu = None
        elif event.source.getRoleName() == "popup menu":
            self.menu = event.source

    def application(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == self.pid:
                    return app
            except Exception:  # an application that went away while we asked
                continue
        return None

    def frame(self):
        app = self.application()
        if app is None:
            return None
        for child in self.children(app):
            if child.getRoleName() == "frame" and self.showing(child):
                return child
        return None

    @staticmethod
    def children(acc) -> list:
        return [c for c in (acc.getChildAtIndex(i) for i in range(acc.childCount)) if c is not None]

    def states(self, acc) -> list[str]:
        return [self.pyatspi.stateToString(s) for s in acc.getState().getStates()]

    def showing(self, acc) -> bool:
        return acc.getState().contains(self.pyatspi.STATE_SHOWING)

    def focused(self, acc) -> bool:
        return acc.getState().contains(self.pyatspi.STATE_FOCUSED)

    def find(self, parent, role: str, name: str):
        for child in self.children(parent):
            if child.getRoleName() == role and child.name == name:
                return child
        raise CheckFailed(f"no {role} named {name!r}")

    def lines(self, acc, depth: int = 0) -> list[str]:
        kept = ("focusable", "focused", "showing", "editable")
        states = ",".join(s for s in self.states(acc) if s in kept)
        line = f"{'  ' * depth}{acc.getRoleName()} {acc.name!r}"
        if acc.description:
            line += f" description={acc.description!r}"
        out = [f"{line} [{states}]"]
        for child in self.children(acc):
            out += self.lines(child, depth + 1)
        return out


class Check:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def case(self, name: str, body) -> None:
        try:
            body()
        except CheckFailed as e:
            self.failed += 1
            print(f"FAIL  {name}: {e}", flush=True)
            return
        self.passed += 1
        print(f"ok    {name}", flush=True)


def run(args, workdir: str) -> Check:
    check = Check()
    xserver = XServer(args.first_display, workdir)
    os.environ["DISPLAY"] = xserver.display
    # The accessibility bus before the program, or Qt may look for it before it exists and
    # stay silent.
    run_tool(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
              "org.a11y.Bus.GetAddress"])
    program = Program(os.path.abspath(args.binary), workdir, "accessibility", 1.0, extra_env={
        "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"],
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
    })
    tree = Tree(program.pid)
    frame = wait_for(lambda: (f := tree.frame()) is not None and f.childCount >= 9 and f,
                     "the window in the accessible tree")
    print("The accessible tree of the program:")
    print("\n".join(tree.lines(tree.application())), flush=True)

    def roles_and_names():
        if frame.name != "Form1":
            raise CheckFailed(f"the window is named {frame.name!r}")
        seen = sorted((c.getRoleName(), c.name) for c in tree.children(frame))
        if seen != EXPECTED_CONTROLS:
            raise CheckFailed(f"controls {seen}, expected {EXPECTED_CONTROLS}")
    check.case("every control has its role and name", roles_and_names)

    canvas = tree.find(frame, "canvas", "描画領域")

    def canvas_takes_focus():
        run_tool(["xdotool", "windowfocus", "--sync", str(program.window)])
        box = tree.find(frame, "text", "表示最大値")
        for target in (box, canvas):  # away from the canvas first, then back to it
            target.queryComponent().grabFocus()
            wait_for(lambda: tree.focused(target), f"the focus on the {target.getRoleName()}")
    check.case("the canvas takes the focus", canvas_takes_focus)

    def menu_on_shift_f10(target, label: str) -> list[str]:
        """Gives the target the focus, presses Shift+F10, prints the menu, closes it and
        returns the names of its items."""
        target.queryComponent().grabFocus()
        wait_for(lambda: tree.focused(target), f"the focus on {label}")
        program.key("shift+F10")
        menu = wait_for(lambda: tree.menu, f"a menu after Shift+F10 on {label}")
        items = [c.name for c in tree.children(menu)]
        print("\n".join([f"After Shift+F10 on {label}:"] + tree.lines(menu)), flush=True)
        program.key("Escape")
        wait_for(lambda: tree.menu is None, "the menu to close")
        return items

    def shift_f10_opens_the_canvas_menu():
        items = menu_on_shift_f10(canvas, "the canvas")
        if items != CANVAS_MENU:
            raise CheckFailed(f"menu items {items}, expected {CANVAS_MENU}")
    check.case("Shift+F10 opens the canvas's context menu", shift_f10_opens_the_canvas_menu)

    def text_box_menu_is_japanese():
        items = menu_on_shift_f10(tree.find(frame, "text", "表示最大値"), "a text box")
        english = [i for i in items if i and not any("\u3040" <= ch <= "\u9fff" for ch in i)]
        if len(items) < 5 or english:
            raise CheckFailed(f"menu items {items}")
    check.case("Shift+F10 opens a text box's menu, in Japanese", text_box_menu_is_japanese)

    def description_follows_a_sweep():
        tree.find(frame, "text", "表示最大値").queryEditableText().setTextContents("5")
        tree.find(frame, "push button", "形式3").queryAction().doAction(0)
        expected = "「形式3」で 5° から 0° まで描きました。"
        wait_for(lambda: canvas.description == expected, f"the description {expected!r}")
        print(f"After 形式3 pressed through AT-SPI: canvas description={canvas.description!r}")
    check.case("the canvas's description names the sweep drawn", description_follows_a_sweep)

    program.finish()
    return check


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True, help="the vornlace executable to check")
    parser.add_argument("--first-display", type=int, default=80,
                        help="first X display number to try (default 80)")
    args = parser.parse_args()
    if os.environ.get(SESSION_MARK) != "1":
        # A private session bus, so that only this program's accessibility bus is found.
        os.environ[SESSION_MARK] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])

    atexit.register(stop_all_children)
    workdir = tempfile.mkdtemp(prefix="vornlace-a11y-")
    check = Check()
    try:
        check = run(args, workdir)
    except Exception as e:  # a missing tool, a program that never showed its window
        check.failed += 1
        print(f"FAIL  {type(e).__name__}: {e}", flush=True)
    finally:
        stop_all_children()
        shutil.rmtree(workdir, ignore_errors=True)
    print(f"{check.passed} passed, {check.failed} failed")
    return 1 if check.failed else 0


if __name__ == "__main__":
    sys.exit(main())
