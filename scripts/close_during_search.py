#!/usr/bin/python3
"""Closes Nuvero while it searches, as a user would, and checks that every close counts.

    close_during_search.py closes NUVERO TREE [--runs N] [--exit-limit S] [--between A B]
    close_during_search.py dead-folder NUVERO TESTFS [--exit-limit S]

Both run on the X display of $DISPLAY without a window manager, with an empty folder as
drive D:. Each start of NUVERO types "c:" into "Search in:", unchecks "After date:",
checks "AutoSave", clicks Search and, some time later, asks the window to close the way a
window manager's close button does (WM_DELETE_WINDOW). A close counts when the program
exits with status 0 within --exit-limit seconds of it and leaves the automatic list on
drive D:.

closes: TREE is drive C:. The first start searches to the end and is closed then; the
closes of the other --runs starts are spread evenly from 5% to 50% of that search's time
(or between A and B seconds after the click); a later start finds the tree in the cache
and searches faster, so a close much later could come after its end. Each list must hold
fewer lines than the whole search's and only lines of it.

dead-folder: drive C: is TESTFS (nuvero-testfs) mirroring a folder whose only subfolder
never answers a listing, as a dead network drive's does. The close comes while the search
waits there; the list must hold exactly the rows found before it. Skipped (exit 0, with the
reason) where FUSE cannot be used.

Exit 1 when a close was lost or a list is wrong.
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, display, protocol
from Xlib.ext import xtest

TITLE = "Nuvero v.3.0"


def find_window(d, title):
    for w in d.screen().root.query_tree().children:
        try:
            if w.get_wm_name() == title and w.get_attributes().map_state == X.IsViewable:
                return w
        except Exception:
            pass
    return None


def wait_for(predicate, timeout, step=0.02):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


class User:
    """Mouse and keyboard through the XTEST extension, at positions inside the window."""

    def __init__(self, d, window):
        self.d = d
        self.window = window

    def click(self, x, y):
        origin = self.window.translate_coords(self.d.screen().root, 0, 0)
        xtest.fake_input(self.d, X.MotionNotify, x=x - origin.x, y=y - origin.y)
        xtest.fake_input(self.d, X.ButtonPress, 1)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.sync()

    def key(self, name, shift=False, control=False):
        code = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        mods = ([XK.XK_Shift_L] if shift else []) + ([XK.XK_Control_L] if control else [])
        mod_codes = [self.d.keysym_to_keycode(m) for m in mods]
        for m in mod_codes:
            xtest.fake_input(self.d, X.KeyPress, m)
        xtest.fake_input(self.d, X.KeyPress, code)
        xtest.fake_input(self.d, X.KeyRelease, code)
        for m in reversed(mod_codes):
            xtest.fake_input(self.d, X.KeyRelease, m)
        self.d.sync()

    def close(self):
        protocols = self.d.intern_atom("WM_PROTOCOLS")
        delete = self.d.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=self.window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        self.window.send_event(event)
        self.d.flush()


class Outcome:
    def __init__(self, problem=None, seconds=0.0, lines=()):
        self.problem = problem
        self.seconds = seconds  # the whole search (no close), else from the close to the exit
        self.lines = list(lines)


def ended(app):
    """The program has ended: reaped, or its main thread gone and the process a zombie
    that only waits for a thread the kernel holds in a listing that cannot be interrupted
    (a FUSE request already taken by its server); the system reaps that when it returns."""
    if app.poll() is not None:
        return True
    try:
        with open(f"/proc/{app.pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] in ("Z", "X")
    except OSError:
        return True


def run_once(d, nuvero, tree, close_after, exit_limit, release=None):
    """One start, search and close; close_after None: the search runs to its end first.
    release() is called once the program has ended, before its status is read."""
    home = tempfile.mkdtemp(prefix="nuvero-close-")
    drive_d = os.path.join(home, "d")
    os.makedirs(os.path.join(home, "config", "nuvero"))
    os.makedirs(drive_d)
    with open(os.path.join(home, "config", "nuvero", "lamer.Ini"), "w") as f:
        f.write(f"[drives]\nc={os.path.abspath(tree)}\nd={drive_d}\n")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
               QT_QPA_PLATFORM="xcb")
    app = subprocess.Popen([nuvero], env=env)
    try:
        window = wait_for(lambda: find_window(d, TITLE), 15)
        if window is None:
            return Outcome("the window did not appear")
        time.sleep(0.3)  # mapped; its first layout and paint
        # The strip's controls sit at fixed places of the client area; the right-hand panel
        # follows the width.
        user = User(d, window)
        user.click(253 + 8 + 60, 8 + 18 + 10)  # "Search in:", its text field
        user.key("a", control=True)
        user.key("c")
        user.key("colon", shift=True)
        user.click(3 + 8 + 8, 8 + 42 + 8)  # "After date:" off
        width = window.get_geometry().width
        user.click(width - 115 + 8 + 8, 8 + 8 + 8)  # "AutoSave" on
        user.click(3 + 8 + 44, 8 + 5 + 16)  # Search
        clicked = time.monotonic()
        lists = lambda: glob.glob(os.path.join(drive_d, "fls1*"))
        if close_after is None:
            wait_for(lambda: lists() or app.poll() is not None, 600, 0.05)
            if app.poll() is not None or not lists():
                return Outcome("the search did not end with a list file")
            took = time.monotonic() - clicked
            time.sleep(0.5)  # the end's automatic save is under way
            user.close()
        else:
            time.sleep(max(0.0, clicked + close_after - time.monotonic()))
            user.close()
            closed = time.monotonic()
            if not wait_for(lambda: ended(app), exit_limit, 0.01):
                return Outcome(f"still running {exit_limit:.1f} s after the close")
            took = time.monotonic() - closed
            if find_window(d, TITLE) is not None:
                return Outcome("the window is still shown after the exit", took)
        if release:
            release()
        status = app.wait(timeout=60)
        if status != 0:
            return Outcome(f"exit status {status}", took)
        found = lists()
        if len(found) != 1:
            return Outcome(f"{len(found)} list files on drive D:", took)
        with open(found[0], "rb") as f:
            data = f.read()
        if data and not data.endswith(b"\r\n"):
            return Outcome("the list file ends inside a line", took)
        return Outcome(None, took, data.splitlines())
    finally:
        if app.poll() is None:
            app.kill()
            if release:
                release()
            app.wait()
        shutil.rmtree(home, ignore_errors=True)


def closes(d, args):
    whole = run_once(d, args.nuvero, args.tree, None, args.exit_limit)
    if whole.problem:
        print(f"closes: the whole search: {whole.problem}", file=sys.stderr)
        return 1
    print(f"closes: the whole search takes {whole.seconds:.1f} s, {len(whole.lines)} rows")
    everything = set(whole.lines)
    first, last = args.between or (0.05 * whole.seconds, 0.5 * whole.seconds)
    lost, slowest = 0, 0.0
    for i in range(args.runs):
        at = first + (last - first) * i / max(1, args.runs - 1)
        run = run_once(d, args.nuvero, args.tree, at, args.exit_limit)
        if run.problem is None and len(run.lines) >= len(whole.lines):
            run.problem = "the list holds every row: the search was not stopped"
        if run.problem is None and not everything.issuperset(run.lines):
            run.problem = "the list holds rows the whole search does not"
        print(f"  close at {at:5.2f} s: "
              + (run.problem or f"exit {run.seconds:.2f} s after it, {len(run.lines)} rows"))
        lost += run.problem is not None
        slowest = max(slowest, run.seconds)
    print(f"closes: {args.runs - lost} of {args.runs} closes counted, the slowest exit "
          f"{slowest:.2f} s after its close")
    return 1 if lost else 0


def dead_folder(d, args):
    if not os.path.exists("/dev/fuse"):
        print("dead-folder: skipped: no /dev/fuse here")
        return 0
    work = tempfile.mkdtemp(prefix="nuvero-dead-")
    source, mount = os.path.join(work, "source"), os.path.join(work, "mount")
    os.makedirs(os.path.join(source, "dead"))
    os.makedirs(mount)
    names = [f"file{i}.txt" for i in range(5)]
    for name in names + ["dead/never.txt"]:
        open(os.path.join(source, name), "w").close()
    fs = subprocess.Popen([args.testfs, "--hang", "dead", source, mount], stdout=subprocess.PIPE,
                          text=True)
    try:
        if fs.stdout.readline().strip() != "ready":
            print("dead-folder: skipped: nuvero-testfs could not mount here")
            return 0
        def release():  # answers the hung listing (EIO), so the kernel lets its thread go
            if fs.poll() is None:
                fs.terminate()
                fs.wait(timeout=10)

        run = run_once(d, args.nuvero, mount, 1.0, args.exit_limit, release)
        # The rows before the folder that never answers: the root's files and that folder.
        if run.problem is None:
            listed = sorted(line.split()[-1].decode() for line in run.lines)
            if listed != sorted(names + ["dead"]):
                run.problem = f"the list holds {listed}"
        print("dead-folder: close while a listing never answers: "
              + (run.problem or f"exit {run.seconds:.2f} s after it, {len(run.lines)} rows"))
        return 1 if run.problem else 0
    finally:
        fs.terminate()
        try:
            fs.wait(timeout=10)
        except subprocess.TimeoutExpired:
            fs.kill()
            fs.wait()
            subprocess.run(["umount", "-l", mount], check=False)
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="check", required=True)
    p = sub.add_parser("closes")
    p.add_argument("nuvero")
    p.add_argument("tree")
    p.add_argument("--runs", type=int, default=20)
    p.add_argument("--exit-limit", type=float, default=2.0)
    p.add_argument("--between", type=float, nargs=2, metavar=("FIRST", "LAST"))
    p = sub.add_parser("dead-folder")
    p.add_argument("nuvero")
    p.add_argument("testfs")
    p.add_argument("--exit-limit", type=float, default=1.0)
    args = parser.parse_args()
    d = display.Display()
    return closes(d, args) if args.check == "closes" else dead_folder(d, args)


if __name__ == "__main__":
    sys.exit(main())
