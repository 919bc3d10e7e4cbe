#!/usr/bin/python3
"""Sends a window manager's close request (WM_PROTOCOLS / WM_DELETE_WINDOW)
to an X window, as a close box would, without needing a window manager.
Usage: close_window.py WINDOW_ID"""
import sys

from Xlib import X, display, protocol


def main():
    win_id = int(sys.argv[1], 0)
    d = display.Display()
    win = d.create_resource_object("window", win_id)
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(
        window=win, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0])
    )
    win.send_event(event, event_mask=X.NoEventMask)
    d.sync()  # a round trip: a bare flush before close may drop the request
    d.close()


if __name__ == "__main__":
    main()
