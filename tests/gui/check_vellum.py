#!/usr/bin/python3
"""Drives the real Vellum program on the current X display as a user and a
screen reader would, for what only a real window shows: the layout, the Tab
order and the accessible names, the icons as drawn, the window answering
while a slow client works, the modal boxes answered by keys and by their
close boxes, the windows of their own taking keys beside the main one, a
search of thousands of matches, and a close request or a destroyed window
ending Vellum with code 0 and its client with it.
Screenshots are kept in OUTPUT_DIR.

Usage: check_vellum.py VELLUM OUTPUT_DIR CLOSE_WINDOW_SCRIPT"""
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import traceback

import pyatspi
from gi.repository import GLib
from Xlib import display as xdisplay

TITLE = "Vellum SubVersion Tiny FrontEnd"
MANY = 3000  # files the search finds
CHANGES = 12  # commits of docs/readme.txt after the import
EXPLORE, CREATE = "Explore remote repositery", "Create directory"
FOCUSED, CHECKED = pyatspi.STATE_FOCUSED, pyatspi.STATE_CHECKED
SENSITIVE, SELECTED = pyatspi.STATE_SENSITIVE, pyatspi.STATE_SELECTED


def run(*args):
    return subprocess.check_output([str(a) for a in args], text=True, timeout=60)


def out(*args):
    """The command's output, whatever its exit code."""
    return subprocess.run([str(a) for a in args], capture_output=True, text=True).stdout


def wait_for(probe, what, timeout=20):
    """probe()'s first true value; polled, so a busy machine only slows it down.
    An accessible that went away or a file not there yet counts as not yet."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = probe()
        except (GLib.Error, OSError):
            value = None
        if value:
            return value
        assert time.monotonic() < deadline, "timed out waiting for " + (
            what() if callable(what) else what
        )
        time.sleep(0.1)


def windows(title):
    """The windows whose title starts with title."""
    return out("xdotool", "search", "--name", "^" + re.escape(title)).split()


def find_window(title, timeout=20):
    return wait_for(lambda: windows(title), f"a window titled {title!r}", timeout)[-1]


def gone(title):
    wait_for(lambda: not windows(title), f"{title!r} to close")


def click(win, x, y, button=1, repeat=1):
    at = ["mousemove", "--window", win, x, y]
    run("xdotool", *at, "click", "--repeat", repeat, "--delay", 60, button)


def keys(*names):
    for name in names:
        run("xdotool", "key", "--clearmodifiers", name)
        time.sleep(0.1)


def type_text(text):
    run("xdotool", "type", "--delay", 30, text)


def answer(title, *key_names):
    """Gives the window the keyboard, then presses the keys."""
    win = find_window(title)

    # A window not mapped yet refuses the focus, and while no window holds it
    # getwindowfocus fails: both mean not yet, rather than a failure.
    def taken():
        out("xdotool", "windowfocus", win)
        return out("xdotool", "getwindowfocus").strip() == win

    wait_for(taken, f"{title!r} to take the keyboard")
    time.sleep(0.3)
    keys(*key_names)


# The entry tree reads as a table while every item in it is at the top.
TREE_ROLES = ("tree table", "table")


def controls(node):
    """Every accessible below node, the rows of trees left out: thousands of them."""
    for child in node:
        if child is not None:
            yield child
            if child.getRoleName() not in TREE_ROLES:
                yield from controls(child)


def labelled_by(node):
    for r in node.getRelationSet():
        if r.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return " ".join(r.getTarget(i).name for i in range(r.getNTargets()))
    return ""


def find(app, role, name):
    """The control a screen reader finds: a field goes by its label."""
    roles = TREE_ROLES if role in TREE_ROLES else (role,)
    for n in controls(app):
        if n.getRoleName() in roles and (labelled_by(n) or n.name) == name:
            return n


def extents(node, coords=pyatspi.WINDOW_COORDS):
    e = node.queryComponent().getExtents(coords)
    return (e.x, e.y, e.width, e.height)


def centre(node, coords=pyatspi.WINDOW_COORDS):
    x, y, w, h = extents(node, coords)
    return x + w // 2, y + h // 2


def has(node, state):
    return node.getState().contains(state)


def column(table_node, col):
    table = table_node.queryTable()
    return [table.getAccessibleAt(r, col).name for r in range(table.nRows)]


def row_text(table, row):
    """A tree row's text: its cell holds an image cell and a text cell, and a
    row being redrawn may have none yet."""
    return next((p.name for p in table.getAccessibleAt(row, 0) or () if p.name), "")


def shows_icon(win, area, png):
    """Whether the icon's opaque pixels are drawn, colour for colour, in area."""
    rgba = subprocess.check_output(["convert", png, "-depth", "8", "rgba:-"])
    px = [rgba[i : i + 4] for i in range(0, len(rgba), 4)]
    opaque = [(i % 16, i // 16, p[:3]) for i, p in enumerate(px) if p[3] == 255]
    x, y, w, h = area
    crop = ["-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", "rgb:-"]
    shot = subprocess.check_output(["import", "-window", win, *crop])
    shown = lambda x, y: shot[(y * w + x) * 3 : (y * w + x) * 3 + 3]
    return any(
        all(shown(ox + dx, oy + dy) == rgb for dx, dy, rgb in opaque)
        for oy in range(h - 15)
        for ox in range(w - 15)
    )


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def make_repository(work):
    repo, tree = os.path.join(work, "repository"), os.path.join(work, "import")
    run("svnadmin", "create", repo)
    files = {"docs/readme.txt": "read me\n", "docs/guide.txt": "", "src/main.c": ""}
    files.update({f"many/f{i:04}.txt": "" for i in range(MANY)}, README="top\n")
    for path, text in files.items():
        write(os.path.join(tree, path), text)
    url = "file://" + repo + "/"
    run("svn", "import", "-q", "-m", "import", tree, url)
    readme = os.path.join(tree, "docs/readme.txt")
    for i in range(CHANGES):
        write(readme, f"read me\nchange {i}\n")
        run("svnmucc", "-U", url, "-m", f"Change {i}", "put", readme, "docs/readme.txt")
    return url


class Scenes:
    """Vellum runs on one repository, profile and program folder, whose svn
    waits while the file `slow` exists."""

    def __init__(self, vellum, out_dir, close_script):
        self.vellum, self.out, self.close_script = vellum, out_dir, close_script
        # In memory where it can: thousands of small files are slow on a busy disk.
        shm = "/dev/shm" if os.access("/dev/shm", os.W_OK) else None
        self.work = work = tempfile.mkdtemp(prefix="vellum-gui-", dir=shm)
        self.url = make_repository(work)
        self.folder, self.slow = work + "/program", work + "/slow"
        svn = shutil.which("svn")
        wait = f'while [ -e {self.slow} ]; do sleep 0.1; done\nexec {svn} "$@"\n'
        write(self.folder + "/svn/bin/svn", "#!/bin/sh\n" + wait)
        os.chmod(self.folder + "/svn/bin/svn", 0o755)
        self.prefs, wc = work + "/config/Vellum.prefs", work + "/wc/"
        places = f"SVNRemoteRepositery = {self.url}\nSVNLocalRepositery = {wc}\n"
        write(self.prefs, "language = \n" + places)
        self.env = dict(os.environ, XDG_CONFIG_HOME=work + "/config", HOME=work)
        self.env.update(LANGUAGE="", LC_ALL="C.UTF-8")
        self.proc = None

    def start(self):
        self.proc = subprocess.Popen([self.vellum], cwd=self.folder, env=self.env)
        self.win = find_window(TITLE, timeout=60)  # a loaded machine starts it slowly
        desktop = pyatspi.Registry.getDesktop(0)
        bus = lambda: [a for a in desktop if a and a.name == "vellum"]
        self.app = wait_for(bus, "vellum on the accessibility bus", timeout=30)[0]
        self.tree = self.control("tree table", "Entries")

    def ends_and_saves(self, what):
        rc = self.proc.wait(timeout=20)
        assert rc == 0, f"Vellum ended with {rc} {what}"
        assert os.path.exists(self.prefs), f"settings not saved {what}"
        return open(self.prefs, encoding="utf-8-sig").read()

    def close(self, win):
        run(sys.executable, self.close_script, win)

    def control(self, role, name):
        found = lambda: find(self.app, role, name)
        return wait_for(found, f"a {role} named {name!r}", timeout=10)

    def press(self, name, role="push button"):
        click(self.win, *centre(self.control(role, name)))

    def rows(self):
        table = self.tree.queryTable()
        return [row_text(table, r) for r in range(table.nRows)]

    def wait_rows(self, probe, what):
        wait_for(lambda: probe(self.rows()), lambda: f"{what}: {self.rows()}")

    def row(self, text):
        return self.tree.queryTable().getAccessibleAt(self.rows().index(text), 0)

    def menu(self, text, item):
        """Right-clicks a row and clicks an item of the menu."""
        wait_for(lambda: not find(self.app, "menu item", item), "the last menu to go")
        click(self.win, *centre(self.row(text)), button=3)
        entry = self.control("menu item", item)
        run("xdotool", "mousemove", *centre(entry, pyatspi.DESKTOP_COORDS), "click", 1)

    def listing(self, folder=""):
        return run("svn", "list", self.url + folder).split()

    def check_window(self):
        geometry = run("xdotool", "getwindowgeometry", self.win)
        size = re.search(r"Geometry: (\S+)", geometry)[1]
        assert size == "450x430", f"client area {size}, wanted 450x430"
        hints = run("xprop", "-id", self.win, "WM_NORMAL_HINTS")
        fixed = [f"{m} size: 450 by 430" in hints for m in ("minimum", "maximum")]
        assert all(fixed), "the window can be resized:\n" + hints
        # What a screen reader finds, where the layout puts it: a caption too
        # long for its button must not widen it.
        for role, name, place in [
            ("push button", "Search", (310, 30, 130, 20)),
            ("push button", "Receive a read only repositery copy", (10, 341, 240, 20)),
            ("push button", "Receive update", (350, 390, 90, 20)),
            ("check box", "SVN authentification system", (10, 370, 250, 20)),
            ("link", "Go", None),
            ("tree table", "Entries", (11, 71, 428, 248)),  # in its frame
            ("text", "Repositery URL", (80, 9, 330, 20)),
            ("text", "Local repositery", None),
            ("text", "User name", (91, 390, 100, 20)),
            ("text", "Password", None),
            ("text", "", (10, 30, 300, 20)),  # the search pattern
        ]:
            node = self.control(role, name)
            assert place in (None, extents(node)), f"{name!r} at {extents(node)}"

    def check_tab_order(self):
        # Creation order, not position: from the folder field, Choose, the two
        # copy buttons and the check box come before the user name.
        folder = self.control("text", "Local repositery")
        user = self.control("text", "User name")
        click(self.win, *centre(folder))
        for key, node in (("", folder), ("Tab", user), ("shift+Tab", folder)):
            keys(*[key] * 5 * bool(key))
            wait_for(lambda: has(node, FOCUSED), f"{key or 'a click'} to focus it")

    def check_slow_explore(self):
        # The client takes its time: the window answers meanwhile and says so,
        # and a click made then is dropped, not acted on once the command ends.
        box = self.control("check box", "SVN authentification system")
        open(self.slow, "w").close()
        try:
            self.press(EXPLORE)
            self.control("push button", "Please wait")
            click(self.win, *centre(box))
            time.sleep(0.5)
            assert not has(box, CHECKED), "the check box was ticked during the command"
        finally:
            os.remove(self.slow)
        self.wait_rows(lambda r: r == ["docs/", "many/", "src/", "README"], "the top")
        time.sleep(0.5)
        assert not has(box, CHECKED), "the click made during the command acted later"

    def check_icons(self):
        # Drawn with their own colours (a red/blue swap shows up here).
        gfx = os.path.join(os.path.dirname(self.vellum), "gfx")
        x, _, w, _ = extents(self.tree)
        for text, icon in (("docs/", "Folder"), ("README", "File")):
            _, y, _, h = extents(self.row(text))
            png = os.path.join(gfx, icon + "Icon16x16.png")
            assert shows_icon(self.win, (x, y, w, h), png), f"{text} shows not {png}"

    def check_own_windows(self):
        # History and Changes are windows of their own that take keys, and the
        # main window answers beside them.
        click(self.win, *centre(self.row("docs/")), repeat=2)
        self.wait_rows(lambda r: "readme.txt" in r, "docs/ to open")
        self.menu("readme.txt", "History…")
        history = find_window("History of readme.txt")
        listed = self.control("table", "History")
        count = lambda: len(column(listed, 0))
        wait_for(lambda: count() == CHANGES + 1, lambda: f"the history: {count()}")
        answer("History of", "shift+Tab")  # from the list to the filter
        wait_for(lambda: has(self.control("text", "Filter"), FOCUSED), "the filter")
        type_text("change 1")  # Change 1, 10 and 11
        wait_for(lambda: count() == 3, lambda: f"the filtered: {column(listed, 3)}")
        # Return on a revision shows what it changed, coloured.
        click(history, *centre(listed.queryTable().getAccessibleAt(1, 0)))
        time.sleep(0.3)
        run("import", "-window", history, os.path.join(self.out, "history.png"))
        keys("Return")
        changes = find_window("Changes to readme.txt, r")
        diff = self.control("text", "Changes").queryText()
        wait_for(lambda: "+++ " in diff.getText(0, -1), "the diff's text")
        time.sleep(0.5)
        run("import", "-window", changes, os.path.join(self.out, "changes.png"))
        self.close(changes)
        run("xdotool", "windowraise", self.win)  # History covered it
        self.press(EXPLORE)  # the tree listed again, docs/ closed
        self.wait_rows(lambda r: "readme.txt" not in r, "the main window to answer")
        answer("History of", "Escape")
        gone("History of")

    def check_download(self):
        self.menu("README", "Download")
        answer("Where should I save file README ?", "Return")
        saved = os.path.join(self.folder, "README")
        wait_for(lambda: open(saved).read() == "top\n", "README saved")

    def check_deletion(self):
        # Once credentials are typed, each field left for the next (both saved
        # on the way out), the menu may delete; the question's close box says no.
        for label, text in (("User name", "ann"), ("Password", "pw")):
            self.press(label, "text")
            type_text(text)
            keys("Tab")
        self.menu("README", "Delete")
        self.close(find_window("Deletion"))
        gone("Deletion")
        self.menu("README", "Delete")  # handled once the last answer's work is done
        find_window("Deletion")
        assert "README" in self.listing(), "closing the question deleted the entry"
        answer("Deletion", "alt+y")
        self.wait_rows(lambda r: "README" not in r, "README to leave the tree")

    def check_text_dialog(self):
        # Return on a row opens it as a double click does.
        click(self.win, *centre(self.row("src/")))
        keys("Return")
        self.wait_rows(lambda r: "main.c" in r, "Return to open src/")
        # The dialog for a new folder in src/, from the menu that a right click,
        # the Menu key or Shift+F10 opens. Its close box, the main window's close
        # request under its modal grab and Escape cancel it, and Vellum runs on;
        # Return accepts, even with the focus on Cancel. Return choosing the
        # item must not answer the dialog it opens.
        for key, reply, made in (
            (None, self.close, None),
            (None, lambda d: self.close(self.win), None),
            (None, [*"made", "Tab", "Tab", "Return"], "made/"),
            ("Menu", ["k", "Escape"], None),
            ("shift+F10", [*"keyed", "Return"], "keyed/"),
        ):
            if key:
                wait_for(lambda: not find(self.app, "menu item", CREATE), "no menu")
                answer(TITLE, key)
                item = self.control("menu item", CREATE)
                for _ in range(3):
                    if not has(item, SELECTED):
                        keys("Down")
                keys("Return")
                find_window(CREATE)
                time.sleep(1)
                assert windows(CREATE), f"the dialog opened by {key} closed by itself"
            else:
                self.menu("src/", CREATE)
            if callable(reply):
                reply(find_window(CREATE))
            else:
                answer(CREATE, *reply)
            gone(CREATE)
            if made:
                self.wait_rows(lambda r: made in r, f"{made} in the tree")
        assert self.proc.poll() is None, "a close under the dialog ended Vellum"
        inside = self.listing("src/")
        assert inside == ["keyed/", "made/", "main.c"], f"src/ holds {inside}"

    def check_search(self):
        # Every match is in the tree before the busy state ends: whenever Search
        # is back and Explore usable again, the count is already complete.
        self.press("", "text")
        type_text(r"f[0-9]+\.txt$")
        explore = self.control("push button", EXPLORE)
        before = self.tree.queryTable().nRows
        keys("Return")  # in the field: as the button does

        def ended():
            search = find(self.app, "push button", "Search")  # a new one once ended
            ready = search and all(has(b, SENSITIVE) for b in (search, explore))
            count = self.tree.queryTable().nRows
            return ready and count != before and [count]

        count = wait_for(ended, "the search to end", timeout=120)[0]
        assert count == MANY, f"the search ended with {count} of {MANY} rows shown"
        table = self.tree.queryTable()
        ends = [row_text(table, r) for r in (0, MANY - 1)]
        assert ends == ["many/f0000.txt", f"many/f{MANY - 1:04}.txt"], f"order: {ends}"

    def check_update_and_commit(self):
        # The update's report box answered by Return; the commit window takes
        # a message of two lines, and Ctrl+Return sends it.
        wc = os.path.join(self.work, "wc")
        run("svn", "checkout", "-q", self.url + "docs", wc)
        self.press("Receive update")
        answer("Informations", "Return")
        gone("Informations")
        for name in ("guide.txt", "readme.txt", "new.txt"):
            write(os.path.join(wc, name), "changed\n")
        self.press("Send update")
        comment = find_window("Comment")
        paths = lambda: column(self.control("table", "Changes"), 2)
        wait_for(lambda: len(paths()) == 3, lambda: f"the changes: {paths()}")
        answer("Comment", "ctrl+a")
        type_text("Two lines")
        keys("Return")
        type_text("of message")
        run("import", "-window", comment, os.path.join(self.out, "commit.png"))
        keys("ctrl+Return")
        gone("Comment")
        log = lambda: run("svn", "log", "-l", "1", wc + "/readme.txt")
        wait_for(lambda: "Two lines\nof message" in log(), "the message committed")

    def check_close_during_command(self):
        # The server accepts and never answers, so the client would wait for
        # minutes: a close request ends it at once, and Vellum with it, the
        # settings typed in this run saved.
        silent = socket.socket()
        silent.bind(("127.0.0.1", 0))
        silent.listen(4)
        url = f"http://127.0.0.1:{silent.getsockname()[1]}/repo/"
        self.press("Repositery URL", "text")
        keys("ctrl+a")
        type_text(url)
        self.press(EXPLORE)
        self.control("push button", "Please wait")
        client = wait_for(lambda: out("pgrep", "-P", self.proc.pid).split(), "svn")
        self.close(self.win)
        saved = self.ends_and_saves("on a close during a command")
        ended = lambda: set(out("ps", "-o", "stat=", "-p", *client).split()) <= {"Z"}
        wait_for(ended, "the client to end with Vellum", timeout=5)
        silent.close()
        # The language line Vellum only keeps.
        for line in (url, "Username = ann", "Password = pw", "language = "):
            assert line + "\n" in saved, f"{line!r} not saved:\n" + saved

    def check_destroyed_window(self):
        # Another X client destroys the window: taken as a close request, even
        # with GDK's requests about the gone window still on their way.
        self.start()
        os.remove(self.prefs)
        d = xdisplay.Display()
        d.create_resource_object("window", int(self.win, 0)).destroy()
        d.sync()
        d.close()
        self.ends_and_saves("after its window was destroyed")


def main():
    vellum, out_dir, close_script = sys.argv[1:4]
    os.makedirs(out_dir, exist_ok=True)
    pyatspi.Registry.getDesktop(0)  # the accessibility bus, up before Vellum asks
    scenes = Scenes(os.path.abspath(vellum), out_dir, close_script)
    try:
        scenes.start()
        for name in [n for n in vars(Scenes) if n.startswith("check_")]:
            getattr(scenes, name)()  # in the order they are written
    except Exception:  # an accessibility call that times out included
        out("import", "-window", "root", os.path.join(out_dir, "vellum_failure.png"))
        traceback.print_exc()
        return 1
    finally:
        if scenes.proc and scenes.proc.poll() is None:
            scenes.proc.kill()
            scenes.proc.wait()
        shutil.rmtree(scenes.work, ignore_errors=True)
    print("vellum: all checks passed; screenshots in", out_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
