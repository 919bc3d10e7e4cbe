#!/usr/bin/python3
"""Runs a command on a private X server (Xvfb) inside its own D-Bus session,
so the accessibility bus can start. Usage: with_display.py COMMAND [ARG...]

Afterwards every process started on the way is stopped and reaped, the
services the session bus launched on demand included: this process adopts
the orphans as a subreaper, so none is left behind, not even as a zombie."""
import ctypes
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PR_SET_CHILD_SUBREAPER = 36


def start_xvfb(work):
    """Xvfb on a free display number, which -displayfd reports once it listens."""
    read_end, write_end = os.pipe()
    log = open(os.path.join(work, "xvfb.log"), "w")
    xvfb = subprocess.Popen(
        [
            "Xvfb",
            "-displayfd",
            str(write_end),
            "-screen",
            "0",
            "1024x768x24",
            "-nolisten",
            "tcp",
        ],
        pass_fds=(write_end,),
        stdout=log,
        stderr=log,
    )
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([read_end], [], [], 0.5)
        if ready:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
    os.close(read_end)
    if not number.strip():
        xvfb.kill()
        xvfb.wait()
        sys.exit("Xvfb did not start: " + open(os.path.join(work, "xvfb.log")).read())
    return xvfb, ":" + number.decode().strip()


def our_children():
    me = str(os.getpid())
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                if fields[1] == me and fields[0] != "Z":
                    found.append(int(entry))
            except (OSError, IndexError):
                pass
    return found


def reap_all(grace=5.0):
    deadline = time.monotonic() + grace
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid:
            continue
        if time.monotonic() > deadline:
            for pid in our_children():
                os.kill(pid, signal.SIGKILL)
            deadline = time.monotonic() + grace
        time.sleep(0.05)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    work = tempfile.mkdtemp(prefix="vellum-display-")
    xvfb = session = None
    rc = 1
    try:
        xvfb, display = start_xvfb(work)
        env = dict(
            os.environ,
            DISPLAY=display,
            XDG_RUNTIME_DIR=os.path.join(work, "runtime"),
            GSETTINGS_BACKEND="memory",
            NO_AT_BRIDGE="0",
        )
        for name in (
            "DBUS_SESSION_BUS_ADDRESS",
            "AT_SPI_BUS_ADDRESS",
            "WAYLAND_DISPLAY",
        ):
            env.pop(name, None)
        os.mkdir(env["XDG_RUNTIME_DIR"], 0o700)
        # Its own process group, so whatever the session spawned can be stopped.
        session = subprocess.Popen(
            ["dbus-run-session", "--"] + sys.argv[1:], env=env, start_new_session=True
        )
        rc = session.wait()
        rc = rc if rc >= 0 else 128 - rc
    finally:
        if session:
            try:
                os.killpg(session.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        if xvfb:
            xvfb.terminate()
        reap_all()
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(rc)


if __name__ == "__main__":
    main()
