#!/usr/bin/python3
"""Drives window_probe on the current X display as a user would: clicks,
keys and close requests through the X server (xdotool, a WM_DELETE_WINDOW
message), the accessibility tree through AT-SPI, and checks the events the
probe prints. Screenshots are kept in OUTPUT_DIR.

Usage: check_window_probe.py PROBE OUTPUT_DIR CLOSE_WINDOW_SCRIPT"""
import os
import re
import shutil
import subprocess
import sys
import threading
import time

import pyatspi
from Xlib import X, display as xdisplay

SCREEN = (1024, 768)
TITLE = "Vellum probe"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Probe:
    """The probe's process and every line it printed."""

    def __init__(self, path, cwd):
        self.proc = subprocess.Popen([path], cwd=cwd, stdout=subprocess.PIPE, text=True)
        self.lines = []
        self.cond = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            with self.cond:
                self.lines.append(line.rstrip("\n"))
                self.cond.notify_all()

    def mark(self):
        with self.cond:
            return len(self.lines)

    def find(self, pattern, after):
        with self.cond:
            return [i for i in range(after, len(self.lines)) if re.search(pattern, self.lines[i])]

    def expect(self, pattern, after=0, timeout=30):
        """Index of the first line from `after` on that matches, waiting for it."""
        deadline = time.monotonic() + timeout
        with self.cond:
            while True:
                for i in range(after, len(self.lines)):
                    if re.search(pattern, self.lines[i]):
                        return i
                left = deadline - time.monotonic()
                if left <= 0 or self.proc.poll() is not None:
                    tail = "\n  ".join(self.lines[after:][-15:])
                    raise Failure(f"no line matching {pattern!r}; since the mark:\n  {tail}")
                self.cond.wait(min(left, 0.5))

    def expect_none(self, pattern, after, settle=1.0):
        time.sleep(settle)
        hits = self.find(pattern, after)
        check(not hits, f"unexpected line {self.lines[hits[0]] if hits else ''!r}")


def run(*args, timeout=30):
    return subprocess.run([str(a) for a in args], check=True, timeout=timeout,
                          capture_output=True, text=True).stdout


def find_window(title):
    return run("xdotool", "search", "--sync", "--name", f"^{title}$").split()[0]


def click(win, x, y, button=1, repeat=1):
    run("xdotool", "mousemove", "--window", win, x, y, "click", "--repeat", repeat,
        "--delay", 60, button)


def keys(*names):
    for name in names:
        run("xdotool", "key", "--clearmodifiers", name)
        time.sleep(0.05)


def geometry(win):
    info = run("xwininfo", "-id", win)
    field = lambda name: int(re.search(rf"{name}:\s+(-?\d+)", info).group(1))
    return (field("Absolute upper-left X"), field("Absolute upper-left Y"),
            field("Width"), field("Height"))


def pixels(win, x, y, w, h):
    """(r, g, b) of every pixel of a rectangle of the window."""
    d = xdisplay.Display()
    try:
        image = d.create_resource_object("window", int(win, 0)).get_image(
            x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        return [(data[i + 2], data[i + 1], data[i]) for i in range(0, len(data), 4)]
    finally:
        d.close()


def screenshot(out, name):
    run("import", "-window", "root", os.path.join(out, name))


# --- accessibility ------------------------------------------------------------

def application(name, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    raise Failure(f"{name} never appeared on the accessibility bus")


def descendants(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield child
            yield from descendants(child)


def accessible(app, role, name, timeout=10):
    deadline = time.monotonic() + timeout
    while True:
        for node in descendants(app):
            if node.getRoleName() == role and node.name == name:
                return node
        if time.monotonic() > deadline:
            raise Failure(f"no {role} named {name!r} in the accessibility tree")
        time.sleep(0.2)


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    return (e.x, e.y, e.width, e.height)


def centre(node):
    x, y, w, h = extents(node)
    return x + w // 2, y + h // 2


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return []


# --- the checks ---------------------------------------------------------------

def check_window(probe, win, cwd):
    x, y, w, h = geometry(win)
    check((w, h) == (450, 430), f"client area {w}x{h}, wanted 450x430")
    cx, cy = (SCREEN[0] - w) // 2, (SCREEN[1] - h) // 2
    check(abs(x - cx) <= 1 and abs(y - cy) <= 1, f"window at {x},{y}, not centred at {cx},{cy}")
    hints = run("xprop", "-id", win, "WM_NORMAL_HINTS")
    check("program specified minimum size: 450 by 430" in hints and
          "program specified maximum size: 450 by 430" in hints,
          "the window can be resized:\n" + hints)
    if os.path.exists(os.path.join(cwd, "icons", "vellum-16.png")):
        icon = run("xprop", "-id", win, "_NET_WM_ICON")
        check("_NET_WM_ICON(CARDINAL)" in icon, "no window icon")


def check_accessibility(app):
    accessible(app, "push button", "Search")
    accessible(app, "check box", "SVN authentification system")
    url = accessible(app, "text", "Repositery URL")
    check(labelled_by(url) == ["Repositery URL"], "the URL field is not labelled by its label")
    check(extents(url) == (80, 9, 330, 20), f"URL field at {extents(url)}")
    user = accessible(app, "text", "User name")
    check(extents(user) == (91, 390, 100, 20), f"user name field at {extents(user)}")
    accessible(app, "link", "Go")
    accessible(app, "tree table", "Entries")


def check_clicks_and_typing(probe, win):
    m = probe.mark()
    click(win, 375, 40)  # Search
    probe.expect(r"control id=3 type=LeftClick window=0", m)

    m = probe.mark()
    click(win, 100, 40)  # the search field
    probe.expect(r"id=2 type=FocusGained", m)
    run("xdotool", "type", "--delay", 80, "abc")
    probe.expect(r"id=2 type=Change window=0 text=abc$", m)
    changes = probe.find(r"id=2 type=Change", m)
    check(len(changes) == 3, f"{len(changes)} Change events for three keys")

    m = probe.mark()
    click(win, 20, 380)  # the check box
    probe.expect(r"id=18 type=LeftClick window=0 check=1", m)


def check_tab_order(probe, win):
    # From the folder field, five tabs reach the user name field when tabbing
    # follows creation order (Choose, the two copy buttons, the check box);
    # ordered by position Cleanup would come before it.
    m = probe.mark()
    click(win, 200, 331)
    probe.expect(r"id=6 type=FocusGained", m)
    m = probe.mark()
    keys(*["Tab"] * 5)
    probe.expect(r"id=15 type=FocusGained", m)
    m = probe.mark()
    keys(*["shift+Tab"] * 5)
    probe.expect(r"id=6 type=FocusGained", m)


def check_link(probe, win):
    green = lambda: sum(1 for p in pixels(win, 420, 11, 20, 20) if p == (0, 255, 0))
    dark = lambda: sum(1 for p in pixels(win, 420, 11, 20, 20) if max(p) < 60)
    run("xdotool", "mousemove", "--window", win, 200, 5)
    time.sleep(0.5)
    check(green() == 0 and dark() > 0, "the link is not drawn black")
    run("xdotool", "mousemove", "--window", win, 428, 20)
    deadline = time.monotonic() + 5
    while green() == 0 and time.monotonic() < deadline:
        time.sleep(0.1)
    check(green() > 0, "the link does not turn green under the pointer")

    m = probe.mark()
    # Pressed on the link but released elsewhere: no click.
    run("xdotool", "mousedown", 1, "mousemove", "--window", win, 300, 5, "mouseup", 1)
    probe.expect_none(r"id=20 ", m)
    click(win, 428, 20)
    probe.expect(r"control id=20 type=LeftClick window=0", m)


def check_tree(probe, win, app):
    cell = lambda text: centre(accessible(app, "table cell", text))
    m = probe.mark()
    click(win, *cell("src"), button=3)
    probe.expect(r"id=22 type=RightClick window=0 row=1 text=src", m)
    keys("Down", "Return")  # the menu's first item
    probe.expect(r"event menu id=101", m)

    m = probe.mark()
    click(win, *cell("README"), button=3)
    probe.expect(r"id=22 type=RightClick window=0 row=4 text=README", m)
    keys("Down", "Down", "Return")  # the disabled "Open" is passed over
    probe.expect(r"event menu id=103", m)

    m = probe.mark()
    click(win, 225, 300, button=3)  # below the last item
    probe.expect(r"id=22 type=RightClick window=0 row=-1$", m)
    keys("Escape")

    m = probe.mark()
    click(win, *cell("main.cpp"))
    probe.expect(r"id=22 type=Change window=0 row=2 text=main.cpp", m)
    m = probe.mark()
    click(win, *cell("tags"), repeat=2)
    # The double click is the program's to act on: GTK must not expand it.
    probe.expect(r"id=22 type=DoubleClick window=0 row=5 text=tags expanded=0", m)
    m = probe.mark()
    click(win, 225, 300, repeat=2)
    probe.expect(r"id=22 type=DoubleClick window=0 row=-1$", m)


def check_command_holds_input(probe, win, app, out):
    m = probe.mark()
    click(win, 225, 60)  # starts a three-second command
    begins = probe.expect(r"^command begins check=", m)
    before = probe.lines[begins].split("=")[-1]
    # The window is serviced meanwhile: it shows the new caption at once.
    accessible(app, "push button", "Please wait", timeout=2)
    screenshot(out, "window_probe_busy.png")
    click(win, 20, 380)  # the check box, during the command
    ends = probe.expect(r"^command ends check=", m)
    check(probe.lines[ends].split("=")[-1] == before, "the check box changed during the command")
    clicked = probe.expect(r"control id=18 type=LeftClick", m)
    check(ends < clicked, "the click was reported during the command")
    check(not probe.lines[clicked].endswith("check=" + before), "the click was lost")


def check_worker(probe, win):
    m = probe.mark()
    click(win, 130, 351)
    probe.expect(r"^worker call on main thread: yes", m)
    probe.expect(r"control id=21 type=LeftClick", m)
    probe.expect(r"^worker joined rows=10$", m)  # seven items and three found


def dialog_handle(probe, after):
    line = probe.lines[probe.expect(r"^dialog open", after)]
    return int(re.search(r"window=(\d+)", line).group(1))


def check_dialog(probe, win, close_script):
    m = probe.mark()
    click(win, 400, 331)  # Choose opens the text dialog
    handle = dialog_handle(probe, m)
    dialog = find_window("Comment")
    x, y, w, h = geometry(dialog)
    check((w, h) == (300, 95), f"dialog client area {w}x{h}")
    owner = run("xprop", "-id", dialog, "WM_TRANSIENT_FOR").split()[-1]
    check(int(owner, 16) == int(win), "the dialog is not transient for the main window")
    run("xdotool", "windowfocus", "--sync", dialog)
    keys("Escape")
    probe.expect_none(r"^dialog result", m)
    keys("Tab", "Tab", "Return")  # Return with Cancel focused still accepts
    probe.expect(r"^dialog result=Update 1 via=return$", m)

    m = probe.mark()
    click(win, 400, 331)
    handle2 = dialog_handle(probe, m)
    check(handle2 > 0 and handle2 != handle, "dialog handles are reused")
    run(sys.executable, close_script, find_window("Comment"))
    probe.expect(rf"^dialog result= via=close window={handle2}$", m)

    # The main window's close box cancels the dialog despite its modal grab.
    m = probe.mark()
    click(win, 400, 331)
    dialog_handle(probe, m)
    find_window("Comment")
    run(sys.executable, close_script, win)
    probe.expect(r"^dialog result= via=close window=0$", m)


def answer(title, *key_names):
    box = find_window(title)
    run("xdotool", "windowfocus", "--sync", box)
    time.sleep(0.3)
    keys(*key_names)


def check_boxes(probe, win, cwd):
    os.makedirs(os.path.join(cwd, "pick"), exist_ok=True)
    m = probe.mark()
    click(win, 345, 351)  # Explore local repositery shows every box in turn
    answer("Alert", "Return")
    probe.expect(r"^message closed$", m)
    answer("Deletion", "alt+y")
    probe.expect(r"^yesno=yes$", m)
    answer("Choose a folder", "alt+s")
    probe.expect(rf"^folder={re.escape(cwd)}/pick/$", m)
    answer("Save as", "Return")
    saved = probe.expect(rf"^save={re.escape(cwd)}/saved.txt$", m)
    # An event queued before the boxes opened arrives after them.
    check(probe.expect(r"control id=77 type=Change", m) > saved, "the queued event came too early")


def main():
    probe_path, out, close_script = (os.path.abspath(a) for a in sys.argv[1:4])
    os.makedirs(out, exist_ok=True)
    cwd = os.path.join(out, "probe-folder")
    os.makedirs(cwd, exist_ok=True)
    icons = os.path.join(os.path.dirname(__file__), "..", "..", "data", "icons")
    if os.path.isdir(icons):
        shutil.copytree(icons, os.path.join(cwd, "icons"), dirs_exist_ok=True)

    pyatspi.Registry.getDesktop(0)  # starts the accessibility bus before the probe needs it
    probe = Probe(probe_path, cwd)
    try:
        probe.expect(r"^ready$")
        win = find_window(TITLE)
        probe.expect(r"id=1 type=FocusGained")  # mapped, focused, handling events
        run("xdotool", "windowfocus", "--sync", win)
        check_window(probe, win, cwd)
        app = application(os.path.basename(probe_path))
        check_accessibility(app)
        check_clicks_and_typing(probe, win)
        check_tab_order(probe, win)
        check_link(probe, win)
        check_tree(probe, win, app)
        check_command_holds_input(probe, win, app, out)
        check_worker(probe, win)
        check_dialog(probe, win, close_script)
        check_boxes(probe, win, cwd)
        run("xdotool", "mousemove", "--window", win, 428, 20)  # the link, green
        time.sleep(0.5)
        screenshot(out, "window_probe.png")

        m = probe.mark()
        run(sys.executable, close_script, win)
        probe.expect(r"^event close window=0$", m)
        rc = probe.proc.wait(timeout=20)
        check(rc == 0, f"the probe ended with {rc}")
    except (Failure, subprocess.SubprocessError) as e:
        try:
            screenshot(out, "window_probe_failure.png")
        except subprocess.SubprocessError:
            pass
        print("FAILED:", e, file=sys.stderr)
        print("probe output:\n  " + "\n  ".join(probe.lines), file=sys.stderr)
        return 1
    finally:
        if probe.proc.poll() is None:
            probe.proc.kill()
            probe.proc.wait()
    print("window probe: all checks passed; screenshots in", out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
