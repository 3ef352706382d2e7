#!/usr/bin/env python3
"""Starts the editor on its own X server, with a window manager and a private
session bus, opens 初期設定 from the keyboard (Alt+S, P) and checks over
AT-SPI, as a screen reader reads it, that the dialog is a dialog named by its
caption whose page tabs, radio buttons and fields are there and named.

Usage: dialog_tree.py EDITOR

Exits 0 when the tree is as expected, 1 when it is not, 77 (skipped) when
AT-SPI, the session bus, the X server, openbox or xdotool is missing.
"""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import toolbar_tree  # noqa: E402

SKIP = 77


def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def find(node, role, name=None, depth=0):
    """The first node of the role (and name) under a node, depth first."""
    if node is None or depth > 12:
        return None
    try:
        if node.getRoleName() == role and (name is None or node.name == name):
            return node
        kids = children(node)
    except Exception:
        return None
    for kid in kids:
        found = find(kid, role, name, depth + 1)
        if found is not None:
            return found
    return None


def wait_for(what, seconds):
    until = time.time() + seconds
    while time.time() < until:
        found = what()
        if found is not None:
            return found
        time.sleep(0.3)
    return None


def check_dialog(pyatspi, dialog):
    """Every fault found in the initial settings' tree, as lines."""
    faults = []
    tabs = find(dialog, "page tab list")
    tab_names = [c.name for c in children(tabs) if c.getRoleName() == "page tab"] if tabs else []
    print("page tabs: %s" % ", ".join(tab_names))
    if tab_names != ["全般", "項目", "チャート"]:
        faults.append("the page tabs are %r" % tab_names)
    for group, items in (("文字セット", ["Shift_JIS", "UTF-8"]), ("実績表示", ["比率", "日付"])):
        node = find(dialog, "panel", group)
        radios = [c for c in children(node) if c.getRoleName() == "radio button"] if node else []
        names = [r.name for r in radios]
        checked = [r.name for r in radios if r.getState().contains(pyatspi.STATE_CHECKED)]
        print("%s: %s (checked: %s)" % (group, ", ".join(names), ", ".join(checked)))
        if names != items or len(checked) != 1:
            faults.append("the radio group %s holds %r, checked %r" % (group, names, checked))
    for role, name in (("text", "XSLファイルの指定"), ("spin button", "タイムスケールが任意の場合の日数"),
                       ("push button", "OK"), ("check box", "画面のちらつきを減らす")):
        if find(dialog, role, name) is None:
            faults.append("no %s named %s" % (role, name))
    return faults


def check(program):
    """Runs on the private bus, with DISPLAY set to our X server."""
    import pyatspi
    home = os.environ["HOME"]
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    manager = subprocess.Popen(["openbox", "--sm-disable"], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    log = open(os.path.join(home, "program.log"), "wb")
    child = subprocess.Popen([program], env=env, cwd=home, stdout=log, stderr=subprocess.STDOUT)
    try:
        app = toolbar_tree.find_application(pyatspi, child.pid, 30)
        if app is None:
            print("the program did not appear on the accessibility bus")
            return 1
        frame = wait_for(lambda: find(app, "frame"), 20)
        if frame is None:
            print("no main window")
            return 1
        print("main window: %r (%s)" % (frame.name, frame.getRoleName()))
        time.sleep(1)
        subprocess.run(["xdotool", "key", "alt+s"], env=env, check=False)
        time.sleep(0.5)
        subprocess.run(["xdotool", "key", "p"], env=env, check=False)
        dialog = wait_for(lambda: next((w for w in children(app) if w.name == "初期設定"), None), 15)
        if dialog is None:
            print("初期設定 did not open")
            return 1
        print("dialog: %r (%s)" % (dialog.name, dialog.getRoleName()))
        faults = [] if dialog.getRoleName() == "dialog" else ["初期設定 is a %s" % dialog.getRoleName()]
        faults += check_dialog(pyatspi, dialog)
        for fault in faults:
            print(fault)
        return 1 if faults else 0
    finally:
        child.kill()
        child.wait()
        manager.kill()
        manager.wait()
        log.close()


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    if "--inner" in sys.argv:
        return check(program)
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        print("pyatspi is not installed: skipped")
        return SKIP
    for tool in ("openbox", "xdotool"):
        if not shutil.which(tool):
            print("%s is missing: skipped" % tool)
            return SKIP
    return toolbar_tree.run_on_private_bus(os.path.abspath(__file__), [program, "--inner"], "atspi-dialog-")

if __name__ == "__main__":
    sys.exit(main())
