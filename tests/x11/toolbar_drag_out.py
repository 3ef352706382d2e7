#!/usr/bin/env python3
"""Drags a docked toolbar of a program of ours off its dock to the bare desktop
outside the program's windows, with the pointer of a real X server under a
window manager, and checks that the floating frame ends under the pointer.

Usage: toolbar_drag_out.py PROGRAM

The program is the dock host: its window shows a dock whose second row holds
the File toolbar, whose drag handle lies at (5, 36) in the window. Two drags:
the docked toolbar to a desktop point below the window; then its floating
frame by the caption back into the dock and out again to another desktop
point, in one drag (the frame hides while the toolbar is docked and is shown
anew). A window manager is what makes the fault show: it maps a new window
some time after the program has asked, and until then the program cannot
hold the pointer for it.

Exits 0 when the frame ends under the pointer both times, 1 when it does not,
77 (skipped) when Xvfb, openbox, xdotool or xwininfo is missing.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "atspi"))
from toolbar_tree import start_x_server  # noqa: E402

SKIP = 77
HANDLE = (5, 36)  # the File toolbar's drag handle, in the dock host's window


def run(env, *command):
    return subprocess.run(command, env=env, capture_output=True, text=True, timeout=20).stdout


def find_window(env, name, seconds=15):
    until = time.time() + seconds
    while time.time() < until:
        ids = run(env, "xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(name)).split()
        if ids:
            return ids[0]
        time.sleep(0.2)
    return None


def screen_rect(env, window):
    """The window's absolute left, top, width and height."""
    info = run(env, "xwininfo", "-id", window)
    value = lambda label: int(re.search(label + r":\s+(-?\d+)", info).group(1))
    return (value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height"))


def wait_for_window_manager(env, seconds=10):
    until = time.time() + seconds
    while time.time() < until:
        if "window id" in run(env, "xprop", "-root", "_NET_SUPPORTING_WM_CHECK"):
            return True
        time.sleep(0.2)
    return False


def drag(env, start, *points):
    """Presses at start, moves in small steps through the points, releases at the last."""
    run(env, "xdotool", "mousemove", str(start[0]), str(start[1]))
    time.sleep(0.3)
    run(env, "xdotool", "mousedown", "1")
    time.sleep(0.2)
    here = start
    for point in points:
        for i in range(1, 16):
            x = here[0] + (point[0] - here[0]) * i // 15
            y = here[1] + (point[1] - here[1]) * i // 15
            run(env, "xdotool", "mousemove", str(x), str(y))
            time.sleep(0.04)
        here = point
        time.sleep(0.3)
    run(env, "xdotool", "mouseup", "1")
    time.sleep(0.6)


def frame_under(env, point):
    frame = find_window(env, "File", 5)
    if not frame:
        print("no floating File frame after the drag to %s" % (point,))
        return None
    left, top, width, height = screen_rect(env, frame)
    print("floating frame at (%d, %d) %d x %d, released at %s" % (left, top, width, height, point))
    if not (left <= point[0] < left + width and top <= point[1] < top + height):
        print("the frame is not under the pointer")
        return None
    return (left, top)


def check(env):
    window = find_window(env, "Dock host")
    if not window:
        print("the dock host's window did not appear")
        return 1
    left, top, width, height = screen_rect(env, window)
    handle = (left + HANDLE[0], top + HANDLE[1])
    below = (left + width // 2, top + height + 300)
    drag(env, handle, below)
    at = frame_under(env, below)
    if not at:
        return 1
    caption = (at[0] + 20, at[1] + 6)
    elsewhere = (left + width + 200, top + height + 150)
    drag(env, caption, (left + 60, top + 36), elsewhere)
    return 0 if frame_under(env, elsewhere) else 1


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    for tool in ("openbox", "xdotool", "xwininfo", "xprop"):
        if not shutil.which(tool):
            print("%s is missing: skipped" % tool)
            return SKIP
    server, display = start_x_server()
    if not server:
        print("no X server: skipped")
        return SKIP
    home = tempfile.mkdtemp(prefix="toolbar-drag-out-")
    env = dict(os.environ, DISPLAY=display, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               QT_QPA_PLATFORM="xcb")
    manager = child = None
    try:
        manager = subprocess.Popen(["openbox", "--sm-disable"], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for_window_manager(env):
            print("openbox did not start: skipped")
            return SKIP
        log = open(os.path.join(home, "program.log"), "wb")
        child = subprocess.Popen([program], env=env, cwd=home, stdout=log, stderr=subprocess.STDOUT)
        return check(env)
    finally:
        for process in (child, manager):
            if process:
                process.kill()
                process.wait()
        server.kill()
        server.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
