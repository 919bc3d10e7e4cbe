#!/usr/bin/python3
"""Drives the real Vellum program on the current X display as a user and a
screen reader would: the window's title and size, a click on "Explore remote
repositery" that fills the tree from a repository made for the run, typing a
user name, and a close request that saves Vellum.prefs and ends with exit
code 0. A screenshot is kept in OUTPUT_DIR.

Usage: check_vellum.py VELLUM OUTPUT_DIR CLOSE_WINDOW_SCRIPT"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

from check_window_probe import (Failure, accessible, application, centre, check, click,
                                descendants, find_window, geometry, keys, labelled_by, run)

TITLE = "Vellum SubVersion Tiny FrontEnd"


def make_repository(work):
    repo = os.path.join(work, "repository")
    run("svnadmin", "create", repo)
    tree = os.path.join(work, "import")
    for path, text in {"docs/readme.txt": "read me\n", "src/main.c": "int main;\n",
                       "README": "top\n"}.items():
        os.makedirs(os.path.dirname(os.path.join(tree, path)), exist_ok=True)
        with open(os.path.join(tree, path), "w") as f:
            f.write(text)
    url = "file://" + repo + "/"
    run("svn", "import", "-q", "-m", "import", tree, url)
    return url


def tree_rows(app):
    tree = accessible(app, "tree table", "Entries")
    return [n.name for n in descendants(tree) if n.getRoleName() == "table cell" and n.name]


def wait_for_rows(app, wanted, timeout=20):
    deadline = time.monotonic() + timeout
    while True:
        rows = tree_rows(app)
        if rows == wanted:
            return
        if time.monotonic() > deadline:
            raise Failure(f"tree shows {rows}, wanted {wanted}")
        time.sleep(0.2)


def main():
    vellum, out, close_script = sys.argv[1:4]
    dist = os.path.dirname(os.path.abspath(vellum))
    work = tempfile.mkdtemp(prefix="vellum-gui-")
    config = os.path.join(work, "config")
    os.makedirs(config)
    url = make_repository(work)
    prefs = os.path.join(config, "Vellum.prefs")
    with open(prefs, "w") as f:
        f.write(f"language = \nSVNRemoteRepositery = {url}\n"
                f"SVNLocalRepositery = {work}/wc/\nSVNAuthCache = 0\n")
    env = dict(os.environ, XDG_CONFIG_HOME=config, HOME=work, LANGUAGE="", LC_ALL="C.UTF-8")
    proc = subprocess.Popen([vellum], cwd=dist, env=env)
    try:
        win = find_window(TITLE)
        x, y, w, h = geometry(win)
        check((w, h) == (450, 430), f"client area {w}x{h}, wanted 450x430")
        app = application("vellum")

        # A screen reader finds the button by its caption; the user clicks it.
        explore = accessible(app, "push button", "Explore remote repositery")
        click(win, *centre(explore))
        wait_for_rows(app, ["docs/", "src/", "README"])

        # The user-name field is read with its label; typing there and leaving
        # the field lands in the saved settings.
        fields = [n for n in descendants(app) if n.getRoleName() == "text"]
        named = {tuple(labelled_by(n)): n for n in fields}
        check(("User name",) in named, f"fields are labelled {list(named)}")
        user = named[("User name",)]
        click(win, *centre(user))
        run("xdotool", "type", "--delay", "30", "ann")
        keys("Tab")
        time.sleep(0.5)
        run("import", "-window", win, os.path.join(out, "vellum.png"))

        run(sys.executable, close_script, win)
        rc = proc.wait(timeout=20)
        check(rc == 0, f"Vellum ended with {rc}")
        saved = open(prefs, encoding="utf-8-sig").read()
        check(f"SVNRemoteRepositery = {url}" in saved, "URL not saved:\n" + saved)
        check("SVNUsername = ann" in saved, "user name not saved:\n" + saved)
        check("language = " in saved, "a key Vellum doesn't write was lost:\n" + saved)
    except (Failure, subprocess.SubprocessError) as e:
        try:
            run("import", "-window", "root", os.path.join(out, "vellum_failure.png"))
        except subprocess.SubprocessError:
            pass
        print("FAILED:", e, file=sys.stderr)
        return 1
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        shutil.rmtree(work, ignore_errors=True)
    print("vellum: all checks passed; screenshot in", out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
