#!/usr/bin/python3
"""Drives the real Vellum program on the current X display as a user and a
screen reader would, against a repository made for the run: the window, its
controls and Tab order, a slow explore that keeps the window answering, the
tree's icons as drawn, the entry menu with its save chooser, the deletion
question and the text dialog closed every way, a search with thousands of
matches, and a close request that saves Vellum.prefs and ends with code 0.
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
from Xlib import X, display as xdisplay

TITLE = "Vellum SubVersion Tiny FrontEnd"
MANY = 3000  # files the search finds


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*args, timeout=60):
    return subprocess.run(
        [str(a) for a in args],
        check=True,
        timeout=timeout,
        capture_output=True,
        text=True,
    ).stdout


def wait_for(probe, what, timeout=20):
    """probe()'s first true value; polled, so a busy machine only slows it down.
    An accessible that went away while it looked counts as not yet."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = probe()
        except GLib.Error:
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(
                "timed out waiting for " + (what() if callable(what) else what)
            )
        time.sleep(0.1)


def windows(title):
    return subprocess.run(
        ["xdotool", "search", "--name", f"^{re.escape(title)}$"],
        capture_output=True,
        text=True,
    ).stdout.split()


def find_window(title, timeout=20):
    return wait_for(lambda: windows(title), f"a window titled {title!r}", timeout)[-1]


def click(win, x, y, button=1, repeat=1):
    run(
        "xdotool",
        "mousemove",
        "--window",
        win,
        x,
        y,
        "click",
        "--repeat",
        repeat,
        "--delay",
        60,
        button,
    )


def keys(*names):
    for name in names:
        run("xdotool", "key", "--clearmodifiers", name)
        time.sleep(0.1)


def focus(win, title):
    def focused():
        # A window not mapped yet refuses the focus, and while no window holds
        # it getwindowfocus fails: both mean not yet, rather than a failure.
        subprocess.run(["xdotool", "windowfocus", win], capture_output=True)
        now = subprocess.run(
            ["xdotool", "getwindowfocus"], capture_output=True, text=True
        )
        return now.returncode == 0 and now.stdout.strip() == win

    wait_for(focused, f"{title!r} to take the keyboard")
    time.sleep(0.3)


def answer(title, *key_names):
    focus(find_window(title), title)
    keys(*key_names)


def application(name):
    def look():
        desktop = pyatspi.Registry.getDesktop(0)
        return next((a for a in desktop if a is not None and a.name == name), None)

    return wait_for(look, f"{name} on the accessibility bus", timeout=30)


# The entry tree reads as a table while every item in it is at the top.
TREE_ROLES = ("tree table", "table")


def controls(node):
    """Every accessible below node, the rows of trees left out: thousands of them."""
    for child in node:
        if child is not None:
            yield child
            if child.getRoleName() not in TREE_ROLES:
                yield from controls(child)


def find(app, role, name):
    roles = TREE_ROLES if role in TREE_ROLES else (role,)
    return next(
        (n for n in controls(app) if n.getRoleName() in roles and n.name == name), None
    )


def accessible(app, role, name, timeout=10):
    return wait_for(lambda: find(app, role, name), f"a {role} named {name!r}", timeout)


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    return (e.x, e.y, e.width, e.height)


def centre(node):
    x, y, w, h = extents(node)
    return x + w // 2, y + h // 2


def has(node, state):
    return node.getState().contains(state)


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return tuple(
                relation.getTarget(i).name for i in range(relation.getNTargets())
            )
    return ()


def row_text(table, row):
    """A row's text: its cell holds an image cell and a text cell. A row the
    tree is redrawing may have no cell yet."""
    return next(
        (part.name for part in table.getAccessibleAt(row, 0) or () if part.name), ""
    )


def rows(tree):
    """The texts of the tree's visible rows, top to bottom."""
    table = tree.queryTable()
    return [row_text(table, r) for r in range(table.nRows)]


def cell(tree, text):
    table = tree.queryTable()
    for r in range(table.nRows):
        if row_text(table, r) == text:
            return table.getAccessibleAt(r, 0)
    raise Failure(f"no row {text!r} in {rows(tree)}")


def argb_of_png(path):
    """The 16x16 icon as (r, g, b, a) per pixel."""
    data = subprocess.run(
        ["convert", path, "-depth", "8", "rgba:-"], check=True, capture_output=True
    ).stdout
    return [tuple(data[i : i + 4]) for i in range(0, len(data), 4)]


def shows_icon(win, area, icon):
    """Whether the icon's opaque pixels are drawn, colour for colour, in area."""
    x, y, w, h = area
    d = xdisplay.Display()
    try:
        data = (
            d.create_resource_object("window", int(win, 0))
            .get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
            .data
        )
    finally:
        d.close()

    def shown(px, py):  # stored as BGRX
        i = (py * w + px) * 4
        return data[i + 2], data[i + 1], data[i]

    opaque = [(i % 16, i // 16, p[:3]) for i, p in enumerate(icon) if p[3] == 255]
    return any(
        all(shown(ox + dx, oy + dy) == rgb for dx, dy, rgb in opaque)
        for oy in range(h - 15)
        for ox in range(w - 15)
    )


def make_repository(work):
    repo = os.path.join(work, "repository")
    run("svnadmin", "create", repo)
    tree = os.path.join(work, "import")
    files = {
        "docs/readme.txt": "read me\n",
        "src/main.c": "int main;\n",
        "README": "top\n",
    }
    files.update({f"many/f{i:04}.txt": "" for i in range(MANY)})
    for path, text in files.items():
        os.makedirs(os.path.dirname(os.path.join(tree, path)), exist_ok=True)
        with open(os.path.join(tree, path), "w") as f:
            f.write(text)
    url = "file://" + repo + "/"
    run("svn", "import", "-q", "-m", "import", tree, url)
    return url


def program_folder(work, dist):
    """gfx/, icons/ and locale/ as installed, and a client that can be made slow."""
    folder = os.path.join(work, "program")
    os.makedirs(os.path.join(folder, "svn", "bin"))
    for name in ("gfx", "icons", "locale"):
        os.symlink(os.path.join(dist, name), os.path.join(folder, name))
    slow = os.path.join(work, "slow")
    client = os.path.join(folder, "svn", "bin", "svn")
    with open(client, "w") as f:
        f.write(
            f'#!/bin/sh\n[ -e "{slow}" ] && sleep 8\nexec {shutil.which("svn")} "$@"\n'
        )
    os.chmod(client, 0o755)
    return folder, slow


def listing(url):
    return run("svn", "list", url).split()


def check_window(win, app):
    out = run("xwininfo", "-id", win)
    size = tuple(
        int(re.search(rf"{k}:\s+(\d+)", out).group(1)) for k in ("Width", "Height")
    )
    check(size == (450, 430), f"client area {size}, wanted 450x430")
    hints = run("xprop", "-id", win, "WM_NORMAL_HINTS")
    check(
        "minimum size: 450 by 430" in hints and "maximum size: 450 by 430" in hints,
        "the window can be resized:\n" + hints,
    )
    check(
        "_NET_WM_ICON(CARDINAL)" in run("xprop", "-id", win, "_NET_WM_ICON"),
        "no window icon",
    )

    # What a screen reader finds, where the layout puts it: a caption too long
    # for its button must not widen it.
    for role, name, place in [
        ("push button", "Search", (310, 30, 130, 20)),
        ("push button", "Receive a read only repositery copy", (10, 341, 240, 20)),
        ("push button", "Receive update", (350, 390, 90, 20)),
        ("check box", "SVN authentification system", (10, 370, 250, 20)),
        ("link", "Go", None),
        ("tree table", "Entries", (11, 71, 428, 248)),
    ]:  # in its frame
        node = accessible(app, role, name)
        check(place is None or extents(node) == place, f"{name} at {extents(node)}")
    fields = {labelled_by(n): n for n in controls(app) if n.getRoleName() == "text"}
    for label, place in [
        ("Repositery URL", (80, 9, 330, 20)),
        ("Local repositery", None),
        ("User name", (91, 390, 100, 20)),
        ("Password", None),
    ]:
        check((label,) in fields, f"no field labelled {label!r}: {list(fields)}")
        check(
            place is None or extents(fields[(label,)]) == place,
            f"{label} field misplaced",
        )
    return fields


def check_tab_order(win, fields):
    # Creation order, not position: from the folder field, Choose, the two
    # copy buttons and the check box come before the user name.
    folder, user = fields[("Local repositery",)], fields[("User name",)]
    click(win, *centre(folder))
    wait_for(lambda: has(folder, pyatspi.STATE_FOCUSED), "the folder field's focus")
    keys(*["Tab"] * 5)
    wait_for(lambda: has(user, pyatspi.STATE_FOCUSED), "Tab to reach the user name")
    keys(*["shift+Tab"] * 5)
    wait_for(lambda: has(folder, pyatspi.STATE_FOCUSED), "shift+Tab to come back")


def check_slow_explore(win, app, tree, slow):
    # The client takes seconds: the window answers meanwhile and says so, and
    # a click made then is dropped, not acted on once the command is done.
    box = accessible(app, "check box", "SVN authentification system")
    open(slow, "w").close()
    try:
        click(win, *centre(accessible(app, "push button", "Explore remote repositery")))
        accessible(app, "push button", "Please wait", timeout=4)
        click(win, *centre(box))
        time.sleep(0.5)
        check(
            not has(box, pyatspi.STATE_CHECKED),
            "the check box was ticked during the command",
        )
    finally:
        os.remove(slow)
    wanted = ["docs/", "many/", "src/", "README"]
    wait_for(
        lambda: rows(tree) == wanted,
        lambda: f"the tree to show {wanted}, not {rows(tree)}",
    )
    time.sleep(0.5)
    check(
        not has(box, pyatspi.STATE_CHECKED),
        "the click made during the command acted later",
    )


def check_icons(win, tree, gfx):
    # Drawn with their own colours (a red/blue swap shows up here).
    for text, icon in (
        ("docs/", "FolderIcon16x16.png"),
        ("README", "FileIcon16x16.png"),
    ):
        _, y, _, h = extents(cell(tree, text))
        x, _, w, _ = extents(tree)
        check(
            shows_icon(win, (x, y, w, h), argb_of_png(os.path.join(gfx, icon))),
            f"the row {text} does not show {icon} as it is",
        )


def check_expand(win, tree):
    click(win, *centre(cell(tree, "docs/")), repeat=2)
    wait_for(lambda: "readme.txt" in rows(tree), lambda: f"docs/ to open: {rows(tree)}")
    check(
        rows(tree) == ["docs/", "readme.txt", "many/", "src/", "README"],
        f"the folder's entry is out of place: {rows(tree)}",
    )


def entry_menu(win, app, tree, text, item):
    """Right-clicks a row and clicks an item of the menu."""
    wait_for(lambda: find(app, "menu item", item) is None, "the last menu to go")
    click(win, *centre(cell(tree, text)), button=3)
    e = (
        accessible(app, "menu item", item)
        .queryComponent()
        .getExtents(pyatspi.DESKTOP_COORDS)
    )
    run("xdotool", "mousemove", e.x + e.width // 2, e.y + e.height // 2, "click", 1)


def column(table_node, col):
    table = table_node.queryTable()
    return [table.getAccessibleAt(r, col).name for r in range(table.nRows)]


def check_history(win, app, tree, url, slow, close_script, out, proc):
    # A history of two pages: the window fills while the main one stays live,
    # More loads the rest, the filter narrows it as it is typed, Escape
    # closes; a close while the client is slow ends that client at once.
    content = os.path.join(os.path.dirname(slow), "content.c")
    for i in range(55):
        with open(content, "w") as f:
            f.write(f"int main;\nint change = {i};\n")
        run("svnmucc", "-U", url, "-m", f"Change {i}", "put", content, "src/main.c")
    click(win, *centre(cell(tree, "src/")), repeat=2)
    wait_for(lambda: "main.c" in rows(tree), lambda: f"src/ to open: {rows(tree)}")
    entry_menu(win, app, tree, "main.c", "History…")
    history = find_window("History of main.c")
    listed = accessible(app, "table", "History")
    wait_for(
        lambda: len(column(listed, 0)) == 50, lambda: f"50 rows: {column(listed, 0)}"
    )
    check(column(listed, 0)[0] == "56", f"newest first: {column(listed, 0)[:3]}")
    more = accessible(app, "push button", "More")
    wait_for(lambda: has(more, pyatspi.STATE_ENABLED), "More to be enabled")
    run("xwininfo", "-id", history)  # a window of its own, beside the main one
    click(win, *centre(accessible(app, "push button", "Explore remote repositery")))
    wait_for(lambda: rows(tree)[:1] == ["docs/"], "the main window to answer")
    more.queryAction().doAction(0)
    wait_for(
        lambda: len(column(listed, 0)) == 56,
        lambda: f"the second page: {len(column(listed, 0))}",
    )
    wait_for(
        lambda: not has(more, pyatspi.STATE_ENABLED), "More to be disabled at the end"
    )
    focus(history, "the history")
    keys("shift+Tab")  # from the list to the filter field
    filter_field = next(n for n in controls(app) if labelled_by(n) == ("Filter",))
    wait_for(
        lambda: has(filter_field, pyatspi.STATE_FOCUSED), "Tab to reach the filter"
    )
    run("xdotool", "type", "--delay", "30", "change 5")
    wait_for(
        lambda: len(column(listed, 0)) == 6,
        lambda: f"the filtered rows: {column(listed, 3)}",
    )
    run("import", "-window", history, os.path.join(out, "history.png"))
    # Return on a revision shows what it changed, coloured.
    click(history, *centre(listed.queryTable().getAccessibleAt(0, 0)))
    keys("Return")
    changes = wait_for(
        lambda: subprocess.run(
            ["xdotool", "search", "--name", "^Changes to main.c, r"],
            capture_output=True,
            text=True,
        ).stdout.split(),
        "the Changes window",
    )[-1]
    text = accessible(app, "text", "Changes")
    wait_for(lambda: "+++ " in text.queryText().getText(0, -1), "the diff's text")
    time.sleep(0.5)
    run("import", "-window", changes, os.path.join(out, "changes.png"))
    run(sys.executable, close_script, changes)
    focus(history, "the history")
    keys("Escape")
    wait_for(lambda: not windows("History of main.c"), "Escape to close the window")

    open(slow, "w").close()
    entry_menu(win, app, tree, "README", "History…")
    history = find_window("History of README")
    clients = wait_for(lambda: children(proc.pid), "the slow client to start")
    run(sys.executable, close_script, history)
    wait_for(lambda: not windows("History of README"), "the close box to close it")
    wait_for(
        lambda: all(ended(pid) for pid in clients),
        "the client to end with its window",
        timeout=2,
    )
    os.remove(slow)
    click(
        win, *centre(cell(tree, "docs/")), repeat=2
    )  # the tree as the next scenes expect it
    wait_for(lambda: "readme.txt" in rows(tree), lambda: f"docs/ to open: {rows(tree)}")


def check_download(win, app, tree, folder):
    entry_menu(win, app, tree, "README", "Download")
    answer("Where should I save file README ?", "Return")
    saved = os.path.join(folder, "README")
    wait_for(
        lambda: os.path.exists(saved) and open(saved).read() == "top\n", "README saved"
    )


def check_text_dialog(win, app, tree, url, close_script, proc):
    # Closed by its own close box, or by the main window's close request
    # under its modal grab: nothing made, and Vellum runs on.
    for target in ("dialog", "main"):
        entry_menu(win, app, tree, "README", "Create directory")
        dialog = find_window("Create directory")
        run(sys.executable, close_script, dialog if target == "dialog" else win)
        wait_for(lambda: not windows("Create directory"), "the dialog to go")
    check(proc.poll() is None, "the close request under the dialog ended Vellum")
    check("made/" not in listing(url), "a cancelled dialog made a folder")
    entry_menu(win, app, tree, "README", "Create directory")
    answer(
        "Create directory", *"made", "Tab", "Tab", "Return"
    )  # on Cancel: Return still accepts
    wait_for(
        lambda: "made/" in rows(tree),
        lambda: f"the new folder in the tree: {rows(tree)}",
    )
    check("made/" in listing(url), "the folder was not made")


def check_deletion(win, app, tree, url, close_script):
    entry_menu(win, app, tree, "README", "Delete")
    run(sys.executable, close_script, find_window("Deletion"))
    wait_for(lambda: not windows("Deletion"), "the question to go")
    entry_menu(
        win, app, tree, "README", "Delete"
    )  # handled only once the last answer's work is done
    find_window("Deletion")
    check("README" in listing(url), "closing the question deleted the entry")
    answer("Deletion", "alt+y")
    wait_for(lambda: "README" not in listing(url), "the deletion")
    wait_for(
        lambda: "README" not in rows(tree),
        lambda: f"README to leave the tree: {rows(tree)}",
    )


def check_keyboard(win, app, tree, url):
    # Return on a row opens it as a double click does.
    click(win, *centre(cell(tree, "src/")))
    keys("Return")
    wait_for(
        lambda: "main.c" in rows(tree), lambda: f"Return to open src/: {rows(tree)}"
    )
    # The Menu key and Shift+F10 open the selected row's menu. Its item chosen
    # with Return opens the dialog, which that Return must not answer; Escape
    # cancels it, and the folder made shows inside the open parent.
    for key, typed in (("Menu", ["k", "Escape"]), ("shift+F10", [*"keyed", "Return"])):
        wait_for(
            lambda: find(app, "menu item", "Create directory") is None,
            "the last menu to go",
        )
        keys(key)
        item = accessible(app, "menu item", "Create directory")
        for _ in range(3):
            if has(item, pyatspi.STATE_SELECTED):
                break
            keys("Down")
        keys("Return")
        find_window("Create directory")
        time.sleep(1)
        check(
            windows("Create directory"), f"the dialog opened by {key} closed by itself"
        )
        answer("Create directory", *typed)
        wait_for(lambda: not windows("Create directory"), "the dialog to go")
    check("src/k/" not in listing(url + "src/"), "Escape made a folder")
    wait_for(
        lambda: "keyed/" in rows(tree), lambda: f"the new folder in src/: {rows(tree)}"
    )
    check("keyed/" in listing(url + "src/"), "the folder was not made")


def check_search(win, app, tree):
    # Every match is in the tree before the busy state ends: whenever Search
    # is back and Explore usable again, the count is already complete.
    field = next(
        n
        for n in controls(app)
        if n.getRoleName() == "text"
        and not labelled_by(n)
        and extents(n) == (10, 30, 300, 20)
    )
    click(win, *centre(field))
    run("xdotool", "type", "--delay", "30", r"f[0-9]+\.txt$")
    explore = accessible(app, "push button", "Explore remote repositery")
    before = tree.queryTable().nRows
    keys("Return")  # in the field: as the button does
    started, deadline = False, time.monotonic() + 120
    while True:
        try:
            button = find(app, "push button", "Search")
            ready = (
                button is not None
                and has(button, pyatspi.STATE_SENSITIVE)
                and has(explore, pyatspi.STATE_SENSITIVE)
            )
            count = tree.queryTable().nRows
        except GLib.Error:  # the button went while it was looked at
            continue
        started = started or not ready or count != before
        if ready and started:
            check(count == MANY, f"the search ended with {count} of {MANY} rows shown")
            break
        check(time.monotonic() < deadline, f"the search never ended ({count} rows)")
        time.sleep(0.05)
    table = tree.queryTable()
    check(
        (row_text(table, 0), row_text(table, MANY - 1))
        == ("many/f0000.txt", f"many/f{MANY - 1:04}.txt"),
        "the matches are out of order",
    )


def children(pid):
    return subprocess.run(
        ["pgrep", "-P", str(pid)], capture_output=True, text=True
    ).stdout.split()


def ended(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] == "Z"
    except FileNotFoundError:
        return True


def ends_and_saves(proc, prefs, what):
    rc = proc.wait(timeout=20)
    check(rc == 0, f"Vellum ended with {rc} {what}")
    check(os.path.exists(prefs), f"settings not saved {what}")


def check_close_during_command(start, prefs, close_script):
    # The server accepts and never answers, so the client would wait for
    # minutes: a close request ends it at once, and Vellum with it.
    silent = socket.socket()
    silent.bind(("127.0.0.1", 0))
    silent.listen(4)
    with open(prefs, "w") as f:
        f.write(
            f"SVNRemoteRepositery = http://127.0.0.1:{silent.getsockname()[1]}/repo/\n"
        )
    proc, win, app = start()
    os.remove(prefs)  # saved again on the way out
    click(win, *centre(accessible(app, "push button", "Explore remote repositery")))
    accessible(app, "push button", "Please wait", timeout=4)
    clients = wait_for(lambda: children(proc.pid), "the client to start")
    run(sys.executable, close_script, win)
    ends_and_saves(proc, prefs, "on a close during a command")
    wait_for(
        lambda: all(ended(pid) for pid in clients),
        "the client to end with Vellum",
        timeout=5,
    )
    silent.close()


def check_destroyed_window(start, prefs):
    # Another X client destroys the window: taken as a close request, even
    # with GDK's requests about the gone window still on their way.
    proc, win, _ = start()
    os.remove(prefs)
    d = xdisplay.Display()
    d.create_resource_object("window", int(win, 0)).destroy()
    d.sync()
    d.close()
    ends_and_saves(proc, prefs, "after its window was destroyed")


def check_update(win, app, tree, url, work):
    # A working copy two of whose files the update restores and one it
    # leaves in conflict: one box for the whole report, then "Resolved".
    wc, other = os.path.join(work, "wc"), os.path.join(work, "other")
    run("svn", "checkout", "-q", url + "docs", wc)
    for name in ("a.txt", "b.txt", "c.txt"):
        with open(os.path.join(wc, name), "w") as f:
            f.write(name + "\n")
    run("svn", "add", "-q", *(os.path.join(wc, n) for n in ("a.txt", "b.txt", "c.txt")))
    run("svn", "commit", "-q", "-m", "three", wc)
    run("svn", "checkout", "-q", url + "docs", other)
    for folder, text in ((other, "theirs\n"), (wc, "mine\n")):
        with open(os.path.join(folder, "c.txt"), "w") as f:
            f.write(text)
    run("svn", "commit", "-q", "-m", "theirs", other)
    for name in ("a.txt", "b.txt"):
        os.remove(os.path.join(wc, name))
    click(win, *centre(accessible(app, "push button", "Receive update")))
    find_window("Informations")
    time.sleep(1)
    check(len(windows("Informations")) == 1, "more than one box for the update")
    answer("Informations", "Return")
    time.sleep(1)
    check(not windows("Informations"), "a second box followed the first")
    conflicted = wait_for(
        lambda: next((r for r in rows(tree) if r.endswith("c.txt")), None),
        lambda: f"the conflict's row: {rows(tree)}",
    )
    entry_menu(win, app, tree, conflicted, "Resolved")
    wait_for(
        lambda: not any(
            line.startswith("C") for line in run("svn", "status", wc).splitlines()
        ),
        "the conflict to be resolved",
    )


def check_commit(win, app, work, out):
    # The commit window lists what goes, takes a message of two lines, and
    # Ctrl+Return sends it.
    wc = os.path.join(work, "wc")
    with open(os.path.join(wc, "a.txt"), "w") as f:
        f.write("changed\n")
    with open(os.path.join(wc, "new.txt"), "w") as f:
        f.write("new\n")
    click(win, *centre(accessible(app, "push button", "Send update")))
    comment = find_window("Comment")
    listed = accessible(app, "table", "Changes")
    wait_for(
        lambda: column(listed, 2) == ["a.txt", "c.txt", "new.txt"],
        lambda: f"the changes listed: {column(listed, 2)}",
    )
    check(
        column(listed, 1) == ["Modified", "Modified", "Non Versionned"],
        f"{column(listed, 1)}",
    )
    focus(comment, "the commit window")
    keys("ctrl+a")
    run("xdotool", "type", "--delay", "20", "Two lines")
    keys("Return")
    run("xdotool", "type", "--delay", "20", "of message")
    run("import", "-window", comment, os.path.join(out, "commit.png"))
    keys("ctrl+Return")
    wait_for(lambda: not windows("Comment"), "Ctrl+Return to send")
    wait_for(
        lambda: "Two lines\nof message"
        in run("svn", "log", "-l", "1", "-v", wc + "/a.txt"),
        "the two-line message committed",
    )
    status = run("svn", "status", wc)
    check(
        status.split() == ["?", os.path.join(wc, "new.txt")], f"what was left: {status}"
    )


def main():
    vellum, out, close_script = sys.argv[1:4]
    dist = os.path.dirname(os.path.abspath(vellum))
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="vellum-gui-")
    config = os.path.join(work, "config")
    os.makedirs(config)
    url = make_repository(work)
    folder, slow = program_folder(work, dist)
    prefs = os.path.join(config, "Vellum.prefs")
    with open(prefs, "w") as f:
        f.write(
            f"language = \nSVNRemoteRepositery = {url}\n"
            f"SVNLocalRepositery = {work}/wc/\nSVNAuthCache = 0\n"
        )
    env = dict(
        os.environ, XDG_CONFIG_HOME=config, HOME=work, LANGUAGE="", LC_ALL="C.UTF-8"
    )
    pyatspi.Registry.getDesktop(
        0
    )  # the accessibility bus, up before Vellum asks for it
    proc = subprocess.Popen([os.path.abspath(vellum)], cwd=folder, env=env)
    try:
        win = find_window(TITLE, timeout=60)  # a loaded machine starts it slowly
        app = application("vellum")
        tree = accessible(app, "tree table", "Entries")
        fields = check_window(win, app)
        check_tab_order(win, fields)
        check_slow_explore(win, app, tree, slow)
        check_icons(win, tree, os.path.join(dist, "gfx"))
        check_expand(win, tree)
        run("import", "-window", win, os.path.join(out, "vellum.png"))
        check_history(win, app, tree, url, slow, close_script, out, proc)

        # The credentials typed, each field left for the next: both saved, and
        # with them the menu may change the repository.
        for label, text in (("User name", "ann"), ("Password", "pw")):
            click(win, *centre(fields[(label,)]))
            run("xdotool", "type", "--delay", "30", text)
            keys("Tab")
        check_download(win, app, tree, folder)
        check_text_dialog(win, app, tree, url, close_script, proc)
        check_deletion(win, app, tree, url, close_script)
        check_keyboard(win, app, tree, url)
        check_search(win, app, tree)
        check_update(win, app, tree, url, work)
        check_commit(win, app, work, out)

        run(sys.executable, close_script, win)
        rc = proc.wait(timeout=20)
        check(rc == 0, f"Vellum ended with {rc}")
        saved = open(prefs, encoding="utf-8-sig").read()
        for line in (
            f"SVNRemoteRepositery = {url}",
            "SVNUsername = ann",
            "SVNPassword = pw",
            "language = ",
        ):  # the last one Vellum only keeps
            check(line in saved, f"{line!r} not saved:\n" + saved)

        def start():
            nonlocal proc
            proc = subprocess.Popen([os.path.abspath(vellum)], cwd=folder, env=env)
            win = find_window(TITLE, timeout=60)
            return proc, win, application("vellum")

        check_close_during_command(start, prefs, close_script)
        check_destroyed_window(start, prefs)
    except Exception as e:  # an accessibility call that times out included
        try:
            run("import", "-window", "root", os.path.join(out, "vellum_failure.png"))
        except subprocess.SubprocessError:
            pass
        traceback.print_exc()
        print("FAILED:", e, file=sys.stderr)
        return 1
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        shutil.rmtree(work, ignore_errors=True)
    print("vellum: all checks passed; screenshots in", out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
