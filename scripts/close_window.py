#!/usr/bin/python3
"""Waits for a top-level X11 window with the given title, then asks it to close the way a
window manager's close button does (WM_DELETE_WINDOW). Exit 0 when the window was found
and asked to close, 1 when it did not appear in time."""
import sys
import time

from Xlib import X, display, protocol


def find(d, title):
    def walk(w):
        try:
            name = w.get_wm_name()
            attrs = w.get_attributes()
        except Exception:
            return None
        if name == title and attrs.map_state == X.IsViewable:
            return w
        try:
            children = w.query_tree().children
        except Exception:
            return None
        for c in children:
            found = walk(c)
            if found:
                return found
        return None
    return walk(d.screen().root)


def main():
    title, timeout = sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    d = display.Display()
    deadline = time.monotonic() + timeout
    window = None
    while window is None and time.monotonic() < deadline:
        window = find(d, title)
        if window is None:
            time.sleep(0.1)
    if window is None:
        print(f"window '{title}' did not appear", file=sys.stderr)
        return 1
    geometry = window.get_geometry()
    print(f"window '{title}' shown, {geometry.width}x{geometry.height}")
    wm_protocols = d.intern_atom("WM_PROTOCOLS")
    wm_delete = d.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=wm_protocols,
                                         data=(32, [wm_delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event)
    d.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
