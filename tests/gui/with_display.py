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


def start_xvfb(log):
    """Xvfb on a free display number, which -displayfd reports once it listens."""
    read_end, write_end = os.pipe()
    screen = ["-screen", "0", "1024x768x24", "-nolisten", "tcp"]
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), *screen],
        pass_fds=(write_end,),
        stdout=log,
        stderr=log,
    )
    os.close(write_end)
    with os.fdopen(read_end) as pipe:  # the number and its newline come apart
        number = pipe.readline().strip() if select.select([pipe], [], [], 20)[0] else ""
    return xvfb, number and ":" + number


def reap_all(grace=5.0):
    """Waits for every child, the adopted ones too; kills those that outlive grace."""
    deadline = time.monotonic() + grace
    while True:
        try:
            if os.waitpid(-1, os.WNOHANG)[0]:
                continue
        except ChildProcessError:
            return
        if time.monotonic() > deadline:
            mine = ["pgrep", "-P", str(os.getpid())]
            for pid in subprocess.run(mine, capture_output=True).stdout.split():
                os.kill(int(pid), signal.SIGKILL)
            deadline = time.monotonic() + grace
        time.sleep(0.05)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    ctypes.CDLL(None).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    work = tempfile.mkdtemp(prefix="vellum-display-")
    xvfb = session = None
    rc = 1
    try:
        log = open(os.path.join(work, "xvfb.log"), "w+")
        xvfb, display = start_xvfb(log)
        if not display:
            log.seek(0)
            sys.exit("Xvfb did not start: " + log.read())
        drop = ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY")
        env = {k: v for k, v in os.environ.items() if k not in drop}
        env.update(DISPLAY=display, GSETTINGS_BACKEND="memory", NO_AT_BRIDGE="0")
        env["XDG_RUNTIME_DIR"] = os.path.join(work, "runtime")
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
