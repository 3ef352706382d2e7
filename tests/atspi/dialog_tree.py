#!/usr/bin/env python3
"""Starts the editor on its own X server, with a window manager and a private
session bus, opens 初期設定 from the keyboard (Alt+S, P) and checks over
AT-SPI, as a screen reader reads it, that the dialog is a dialog named by its
caption whose page tabs, radio buttons and fields are there and named; then
that the arrows move the radio group's check and the page control's tab as a
screen reader hears it (the states read after each key, and the focus on the
item or tab), and that OK's press action closes the dialog.

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


def states(pyatspi, nodes, state):
    return [n.name for n in nodes if n.getState().contains(state)]


class Heard:
    """The state changes and focus events a screen reader hears, as
    "checked NAME=1", "selected NAME=0" or "focus NAME"."""

    KINDS = ("object:state-changed:checked", "object:state-changed:selected", "object:state-changed:focused")

    def __init__(self, pyatspi):
        self.pyatspi = pyatspi
        self.events = []
        pyatspi.Registry.registerEventListener(self.hear, *self.KINDS)

    def hear(self, event):
        try:
            name = event.source.name
        except Exception:
            name = "?"
        kind = event.type.split(":")[-1]
        if kind == "focused":
            if event.detail1:
                self.events.append("focus %s" % name)
        else:
            self.events.append("%s %s=%d" % (kind, name, event.detail1))

    def take(self, seconds):
        """What was heard until now and for the seconds to come."""
        from gi.repository import GLib
        context = GLib.MainContext.default()
        until = time.time() + seconds
        while time.time() < until:
            while context.pending():
                context.iteration(False)
            time.sleep(0.05)
        events, self.events = self.events, []
        return events


def press_key(env, key):
    subprocess.run(["xdotool", "key", key], env=env, check=False)


def check_keys(pyatspi, env, app, dialog):
    """Every fault found while the arrows work the radio group and the tabs,
    and OK is pressed through its action, as lines."""
    faults = []
    group = find(dialog, "panel", "文字セット")
    tabs = find(dialog, "page tab list")
    if group is None or tabs is None:
        return ["no 文字セット or page tab list to work"]
    radios = [c for c in children(group) if c.getRoleName() == "radio button"]
    pages = [c for c in children(tabs) if c.getRoleName() == "page tab"]
    heard = Heard(pyatspi)
    # Tab reaches each from the control before it; the last focus a reader
    # hears is then on the checked item or the selected tab.
    for before, first, keys in (
            (find(dialog, "check box", "画面のちらつきを減らす"), "Shift_JIS", (
                ("Right", radios, pyatspi.STATE_CHECKED, ["UTF-8"],
                 ["checked Shift_JIS=0", "checked UTF-8=1", "focus UTF-8"]),
                ("Left", radios, pyatspi.STATE_CHECKED, ["Shift_JIS"],
                 ["checked UTF-8=0", "checked Shift_JIS=1", "focus Shift_JIS"]))),
            (find(dialog, "push button", "キャンセル"), "全般", (
                ("Right", pages, pyatspi.STATE_SELECTED, ["項目"],
                 ["selected 全般=0", "selected 項目=1", "focus 項目"]),))):
        if before is None:
            faults.append("nothing before %s to Tab from" % first)
            continue
        before.queryComponent().grabFocus()
        heard.take(0.8)
        press_key(env, "Tab")
        focus = [e for e in heard.take(1.0) if e.startswith("focus ")]
        print("Tab to %s: heard %s" % (first, ", ".join(focus)))
        if not focus or focus[-1] != "focus " + first:
            faults.append("after Tab to %s the reader heard the focus %r" % (first, focus))
        for key, parts, state, expected, events in keys:
            press_key(env, key)
            now_heard = [e for e in heard.take(1.0) if e in events]
            now = states(pyatspi, parts, state)
            focused = states(pyatspi, parts, pyatspi.STATE_FOCUSED)
            print("%s: %s, focused %s; heard %s" % (key, now, focused, ", ".join(now_heard)))
            if now != expected or focused != expected:
                faults.append("after %s the reader reads %r, focused %r" % (key, now, focused))
            if sorted(now_heard) != sorted(events):
                faults.append("after %s the reader heard %r" % (key, now_heard))
    ok = find(dialog, "push button", "OK")
    if ok is None:
        return faults + ["no OK"]
    action = ok.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    print("OK's actions: %s" % ", ".join(names))
    if "Press" not in names:
        return faults + ["OK has no Press action"]
    action.doAction(names.index("Press"))
    gone = wait_for(lambda: None if any(w.name == "初期設定" for w in children(app)) else True, 10)
    print("初期設定 closed by OK's action: %s" % bool(gone))
    if not gone:
        faults.append("OK's press action left 初期設定 open")
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
        faults += check_keys(pyatspi, env, app, dialog)
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
