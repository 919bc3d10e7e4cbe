#!/usr/bin/python3
"""The GTK program's own figures, on the current X display: the start-up
until its window is mapped, its resident memory once started and with the
search's rows shown, the longest stall of its main loop while a search pours
PATHS matching rows in (and its time against the client's own `svn list -R`),
while the Changes window takes a diff of LINES lines, and the time a double
click takes to expand a local folder of FILES files against `svn status` of it.

The stall is timed with _NET_WM_PING, sent to the window every 10 ms: GTK
answers a ping from its main loop, so the longest wait for an answer is the
longest time the loop did nothing else.

Usage: gui_figures.py VELLUM [PATHS=100000] [LIMIT_SECONDS=900] [LINES=100000] [FILES=20000]
With VELLUM_BENCH_WORK=FOLDER the repositories and copies are made there once
and kept for the next run (made for the sizes of the first)."""
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, Xatom, display as xdisplay, protocol

TITLE = "Vellum SubVersion Tiny FrontEnd"
SEARCH_FIELD, SEARCH_BUTTON = (160, 40), (375, 40)  # centres, in the window
EXPLORE_LOCAL, FIRST_ROW = (345, 351), (60, 80)


def load_repository(work, name, paths, per_folder):
    """PATHS empty files in folders of PER_FOLDER, loaded from a dump in one
    revision; the repository's URL."""
    dump = os.path.join(work, name + ".dump")
    props = "Prop-content-length: 10\nContent-length: 10\n\nPROPS-END\n\n"
    with open(dump, "w") as f:
        f.write("SVN-fs-dump-format-version: 2\n\nRevision-number: 1\n" + props)
        for i in range(paths):
            if i % per_folder == 0:
                f.write(
                    f"Node-path: d{i // per_folder}\nNode-kind: dir\nNode-action: add\n"
                    + props
                )
            f.write(
                f"Node-path: d{i // per_folder}/f{i}.txt\nNode-kind: file\nNode-action: add\n"
                "Text-content-length: 0\n" + props
            )
    repo = os.path.join(work, name)
    subprocess.run(["svnadmin", "create", repo], check=True)
    with open(dump) as f:
        subprocess.run(["svnadmin", "load", "-q", repo], stdin=f, check=True)
    return "file://" + repo + "/"


def make_wide_copy(work, files):
    """A working copy whose one folder holds FILES files."""
    wc = os.path.join(work, "widewc")
    subprocess.run(
        ["svn", "checkout", "-q", load_repository(work, "widerepo", files, files), wc],
        check=True,
    )
    return wc


def client_seconds(args):
    """The client's time for `args`, its output read through a pipe as the
    program reads it (median of 3), and that output."""
    times = []
    for _ in range(3):
        started = time.monotonic()
        out = subprocess.run(args, check=True, stdout=subprocess.PIPE).stdout
        times.append(time.monotonic() - started)
    return sorted(times)[1], out


def make_changed_copy(work, lines):
    """A working copy whose one file has every one of LINES // 2 lines changed:
    a diff of LINES removed and added lines."""
    repo, wc = os.path.join(work, "diffrepo"), os.path.join(work, "wc")
    subprocess.run(["svnadmin", "create", repo], check=True)
    subprocess.run(["svn", "checkout", "-q", "file://" + repo, wc], check=True)
    big = os.path.join(wc, "big.txt")
    with open(big, "w") as f:
        f.writelines(f"line {i} as it was\n" for i in range(lines // 2))
    subprocess.run(["svn", "add", "-q", big], check=True)
    subprocess.run(["svn", "commit", "-q", "-m", "big", wc], check=True)
    with open(big, "w") as f:
        f.writelines(f"line {i} as it is now\n" for i in range(lines // 2))
    return wc


def children(pid):
    found = []
    for entry in os.listdir("/proc"):
        try:
            with open(f"/proc/{entry}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            if fields[1] == str(pid) and fields[0] != "Z":
                found.append(entry)
        except (OSError, IndexError):
            pass
    return found


def cpu_ticks(pid, reaped=False):
    """The process's own CPU ticks, or with `reaped` those of its children it waited for."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    at = 13 if reaped else 11
    return int(fields[at]) + int(fields[at + 1])


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        return next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))


def wait_for_map(d, started):
    """The program's main window, once mapped, and the seconds since `started`."""
    while True:
        event = d.next_event()
        if event.type == X.MapNotify:
            name = event.window.get_full_property(Xatom.WM_NAME, X.AnyPropertyType)
            if name is not None and name.value.decode(errors="replace") == TITLE:
                return event.window, time.monotonic() - started


def click(win, x, y, times=1):
    subprocess.run(
        [
            "xdotool",
            "mousemove",
            "--window",
            str(win.id),
            str(x),
            str(y),
            "click",
            "--repeat",
            str(times),
            "1",
        ],
        check=True,
    )


def start_search(win):
    click(win, *SEARCH_FIELD)
    subprocess.run(["xdotool", "key", "--clearmodifiers", "ctrl+a"], check=True)
    subprocess.run(["xdotool", "type", "."], check=True)
    return lambda: click(win, *SEARCH_BUTTON)


def start_changes(win):
    """The working copy listed and its file's menu open: Return on its
    next-to-last item, "Changes…", opens the window."""
    click(win, *EXPLORE_LOCAL)
    time.sleep(2)
    subprocess.run(
        [
            "xdotool",
            "mousemove",
            "--window",
            str(win.id),
            *map(str, FIRST_ROW),
            "click",
            "3",
        ],
        check=True,
    )
    time.sleep(1)
    subprocess.run(["xdotool", "key", "Up", "Up"], check=True)
    return lambda: subprocess.run(["xdotool", "key", "Return"], check=True)


def stall(d, win, proc, limit, go):
    """Runs `go` (what starts the work); returns (longest ping answer in
    seconds, seconds until the client ended and the program went idle: its
    last CPU tick, seen within 20 ms, before half a second of none). A lone
    tick (the program answering a ping) is no work: busy takes two within
    100 ms."""
    ping = d.intern_atom("_NET_WM_PING")
    protocols = d.intern_atom("WM_PROTOCOLS")
    sent, longest, seq = {}, 0.0, 0
    reaped = cpu_ticks(proc.pid, reaped=True)
    go()
    # From the moment the input was sent: xdotool itself may take 200 ms to start.
    started = next_ping = next_check = next_children = time.monotonic()
    seen_client, busy, last_busy = False, False, started
    recent, last_tick = [
        (started, cpu_ticks(proc.pid))
    ], started  # (time, ticks) of 100 ms
    while True:
        now = time.monotonic()
        if now >= next_ping:
            seq += 1
            sent[seq] = now
            win.send_event(
                protocol.event.ClientMessage(
                    window=win,
                    client_type=protocols,
                    data=(32, [ping, seq, win.id, 0, 0]),
                )
            )
            d.flush()
            next_ping = now + 0.01
        if now >= next_children:
            next_children = now + 0.1
            busy = bool(children(proc.pid))
            # A client too quick to see has its ticks reaped.
            seen_client = (
                seen_client
                or busy
                or now - started > 5
                or cpu_ticks(proc.pid, reaped=True) != reaped
            )
        if now >= next_check:
            next_check = now + 0.02
            ticks = cpu_ticks(proc.pid)
            if ticks != recent[-1][1]:
                last_tick = now
            recent = [r for r in recent if r[0] >= now - 0.1] + [(now, ticks)]
            if busy:
                last_busy = now
            elif ticks - recent[0][1] >= 2:
                last_busy = last_tick
            if seen_client and now - last_busy >= 0.5:
                waiting = [now - t for t in sent.values()]
                return max([longest] + waiting), last_busy - started
            if now - started > limit:
                return None, now - started
        wait = max(0.0, min(next_ping, next_check) - now)
        readable, _, _ = select.select([d.fileno()], [], [], wait)
        while readable and d.pending_events():
            event = d.next_event()
            if event.type == X.ClientMessage and event.data[1][0] == ping:
                answered = sent.pop(event.data[1][1], None)
                if answered is not None:
                    longest = max(longest, time.monotonic() - answered)


def start_program(vellum, folder, env, d, prefs):
    """The program started with `prefs`, and its mapped window and start-up time."""
    with open(os.path.join(env["XDG_CONFIG_HOME"], "Vellum.prefs"), "w") as f:
        f.write(prefs)
    started = time.monotonic()
    proc = subprocess.Popen([vellum], cwd=folder, env=env)
    win, startup = wait_for_map(d, started)
    return proc, win, startup


def stop(proc):
    if proc is not None and proc.poll() is None:
        proc.kill()
        proc.wait()


def main():
    vellum = os.path.abspath(sys.argv[1])
    paths = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
    limit = float(sys.argv[3]) if len(sys.argv) > 3 else 900
    lines = int(sys.argv[4]) if len(sys.argv) > 4 else 100000
    files = int(sys.argv[5]) if len(sys.argv) > 5 else 20000
    dist = os.path.dirname(vellum)
    # VELLUM_BENCH_WORK keeps the repositories and copies for the next run.
    kept = os.environ.get("VELLUM_BENCH_WORK")
    work = kept or tempfile.mkdtemp(prefix="vellum-bench-")
    proc = None
    try:
        made = os.path.join(work, "made")
        if not os.path.exists(made):
            load_repository(work, "repo", paths, 100)
            make_changed_copy(work, lines)
            make_wide_copy(work, files)
            open(made, "w").close()
        url = "file://" + os.path.join(work, "repo") + "/"
        wc, wide = os.path.join(work, "wc"), os.path.join(work, "widewc")
        folder, config = os.path.join(work, "program"), os.path.join(work, "config")
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(config, ignore_errors=True)
        os.makedirs(config)
        os.makedirs(folder)
        for name in ("gfx", "icons", "locale"):
            os.symlink(os.path.join(dist, name), os.path.join(folder, name))
        prefs = f"SVNRemoteRepositery = {url}\nSVNLocalRepositery = {wc}/\nSVNAuthCache = 1\n"
        # No accessibility bridge: starting the bus on demand is not the program's time.
        env = dict(
            os.environ,
            XDG_CONFIG_HOME=config,
            HOME=work,
            LC_ALL="C.UTF-8",
            NO_AT_BRIDGE="1",
        )
        listing, listed = client_seconds(["svn", "list", "-R", url])
        rows = listed.splitlines()
        text_kib = sum(len(row) for row in rows) / 1024
        status, _ = client_seconds(["svn", "status", os.path.join(wide, "d0")])

        d = xdisplay.Display()
        d.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        d.sync()
        startups = []
        for _ in range(3):  # the first start fills the system's caches
            stop(proc)
            proc, win, startup = start_program(vellum, folder, env, d, prefs)
            startups.append(startup)
        startup = sorted(startups)[1]
        time.sleep(1)
        rss = resident_kib(proc.pid)
        longest, took = stall(d, win, proc, limit, start_search(win))
        shown = resident_kib(proc.pid)
        print(
            f"start-up to the window mapped      {startup * 1000:8.0f} ms   (target <= 150 ms; median of 3)"
        )
        print(f"resident memory after start        {rss / 1024:8.1f} MiB")
        if longest is None:
            print(
                f"longest main-loop stall, search    not measured: the search ran past {limit:.0f} s"
            )
        else:
            print(
                f"longest main-loop stall, search    {longest * 1000:8.0f} ms   (target <= 100 ms;"
                f" {paths} paths, every one matching, {took:.1f} s until idle)"
            )
            print(
                f"search until idle / svn list -R    {took / listing:8.1f} x    (target <= 2;"
                f" {took:.2f} s against {listing:.2f} s)"
            )
            grown = shown - rss
            print(
                f"resident memory, search rows shown {shown / 1024:8.1f} MiB   (+{grown / 1024:.1f} MiB"
                f" for {len(rows)} rows of {text_kib / 1024:.1f} MiB text:"
                f" {grown / text_kib:.1f} x; target <= 2)"
            )
        longest, took = stall(d, win, proc, limit, start_changes(win))
        if longest is None:
            print(
                f"longest main-loop stall, changes   not measured: the diff ran past {limit:.0f} s"
            )
        else:
            print(
                f"longest main-loop stall, changes   {longest * 1000:8.0f} ms   (target <= 100 ms;"
                f" a diff of {lines} lines, {took:.1f} s until idle)"
            )

        # The folder of FILES files, the only entry of the local copy: row 0.
        stop(proc)
        prefs = prefs.replace(f"= {wc}/", f"= {wide}/")
        proc, win, _ = start_program(vellum, folder, env, d, prefs)
        time.sleep(1)
        stall(d, win, proc, limit, lambda: click(win, *EXPLORE_LOCAL))
        longest, took = stall(
            d, win, proc, limit, lambda: click(win, *FIRST_ROW, times=2)
        )
        if longest is None:
            print(
                f"expanding a folder, {files} files  not measured: past {limit:.0f} s"
            )
        else:
            print(
                f"expanding a folder / svn status    {took / status:8.1f} x    (target <= 1.5;"
                f" {files} files, {took:.2f} s from the double click until idle against"
                f" {status:.2f} s; longest stall {longest * 1000:.0f} ms)"
            )
        return 0
    finally:
        stop(proc)
        if not kept:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
