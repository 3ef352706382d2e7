#!/usr/bin/env python3
"""Starts a program of ours on its own X server and checks, over AT-SPI, that
its accessibility tree holds a tool bar with the given buttons.

Usage: toolbar_tree.py PROGRAM TOOLBAR BUTTON... [--skip-without-toolbar]
                       [--open BUTTON ITEM...]

With --open, the button's action opens its menu, which must hold the items.

The check runs on a private session bus (dbus-run-session), with its own X
server and runtime folder, so that several checks may run at once; the
program runs with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. Exits 0 when the tool
bar and its buttons are there, 1 when they are not, 77 (skipped) when AT-SPI,
the session bus or the X server is missing, or when the tool bar itself is
missing and --skip-without-toolbar was given (a program whose toolbars are
not built yet).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77


def start_x_server():
    xvfb = shutil.which("Xvfb")
    if not xvfb:
        return None, None
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(
        [xvfb, "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    with os.fdopen(read_fd, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip():
        server.kill()
        return None, None
    return server, ":" + number.decode().strip()


def find_application(pyatspi, pid, seconds):
    until = time.time() + seconds
    while time.time() < until:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        time.sleep(0.5)
    return None


def tool_bars(pyatspi, node, depth=0, seen=None):
    """Every tool bar under a node, depth first (bounded, the tree may be large)."""
    seen = seen if seen is not None else [0]
    seen[0] += 1
    if node is None or depth > 16 or seen[0] > 5000:
        return []
    try:
        if node.getRole() == pyatspi.ROLE_TOOL_BAR:
            return [node]
        count = node.childCount
    except Exception:
        return []
    found = []
    for i in range(count):
        try:
            found += tool_bars(pyatspi, node.getChildAtIndex(i), depth + 1, seen)
        except Exception:
            pass
    return found


def check_menu(bar, names, button, items):
    """Opens a button's menu through its action and lists the menu's items."""
    import pyatspi
    node = bar.getChildAtIndex(names.index(button))
    action = node.queryAction()
    if action.nActions < 1 or action.getName(0) != "Open":
        print("%r offers no Open action" % button)
        return 1
    action.doAction(0)
    until = time.time() + 10
    while time.time() < until and node.childCount < 1:
        time.sleep(0.2)
    if node.childCount < 1:
        print("%r opened no menu" % button)
        return 1
    menu = node.getChildAtIndex(0)
    shown = [menu.getChildAtIndex(i).name for i in range(menu.childCount)]
    print("menu %r (%s): %s" % (menu.name, menu.getRoleName(), ", ".join(shown)))
    if menu.getRole() != pyatspi.ROLE_POPUP_MENU or shown[:len(items)] != items:
        return 1
    return 0


def check(program, toolbar, buttons, skip_without_toolbar, menu):
    """Runs on the private bus, with DISPLAY set to our X server."""
    import pyatspi
    home = os.environ["HOME"]
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    log_path = os.path.join(home, "program.log")
    log = open(log_path, "wb")
    child = subprocess.Popen([program], env=env, cwd=home, stdout=log, stderr=subprocess.STDOUT)
    try:
        result = look(pyatspi, child, toolbar, buttons, skip_without_toolbar, menu)
    finally:
        child.kill()
        child.wait()
        log.close()
    # Under the sanitizers, a fault found while answering counts as a failure.
    with open(log_path, "rb") as f:
        text = f.read().decode(errors="replace")
    if "ERROR: AddressSanitizer" in text or "runtime error:" in text:
        print(text[-4000:])
        return 1
    return result


def look(pyatspi, child, toolbar, buttons, skip_without_toolbar, menu):
    """Finds the tool bar, its buttons and, when asked, a button's menu."""
    app = find_application(pyatspi, child.pid, 30)
    if app is None:
        print("the program did not appear on the accessibility bus")
        return 1
    bars = []
    until = time.time() + 20
    while time.time() < until:
        bars = [b for b in tool_bars(pyatspi, app) if b.name == toolbar]
        if bars:
            break
        time.sleep(0.5)
    if not bars:
        print("no tool bar named %r" % toolbar)
        return SKIP if skip_without_toolbar else 1
    names = [bars[0].getChildAtIndex(i).name for i in range(bars[0].childCount)]
    roles = [bars[0].getChildAtIndex(i).getRoleName() for i in range(bars[0].childCount)]
    print("tool bar %r: %s" % (toolbar, ", ".join("%s (%s)" % nr for nr in zip(names, roles))))
    missing = [b for b in buttons if b not in names]
    if missing:
        print("missing buttons: %s" % ", ".join(missing))
        return 1
    for b in buttons:
        if roles[names.index(b)] != "push button":
            print("%r is a %s, not a push button" % (b, roles[names.index(b)]))
            return 1
    if menu:
        return check_menu(bars[0], names, menu[0], menu[1:])
    return 0


def main():
    inner = "--inner" in sys.argv
    skip_without_toolbar = "--skip-without-toolbar" in sys.argv
    args = [a for a in sys.argv[1:] if a not in ("--inner", "--skip-without-toolbar")]
    menu = []
    if "--open" in args:
        menu = args[args.index("--open") + 1:]
        args = args[:args.index("--open")]
    if len(args) < 3 or ("--open" in sys.argv and len(menu) < 2):
        print(__doc__)
        return 2
    program, toolbar, buttons = os.path.abspath(args[0]), args[1], args[2:]
    if inner:
        return check(program, toolbar, buttons, skip_without_toolbar, menu)
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        print("pyatspi is not installed: skipped")
        return SKIP
    inner = ["--inner", program, toolbar] + buttons + (["--skip-without-toolbar"] if skip_without_toolbar else [])
    inner += (["--open"] + menu) if menu else []
    return run_on_private_bus(os.path.abspath(__file__), inner, "atspi-tree-")


def run_on_private_bus(script, arguments, prefix):
    """Runs the script with the arguments on its own X server and private
    session bus, in a fresh home; its exit code, or SKIP when either is missing."""
    dbus_run_session = shutil.which("dbus-run-session")
    if not dbus_run_session:
        print("dbus-run-session is missing: skipped")
        return SKIP
    server, display = start_x_server()
    if not server:
        print("no X server: skipped")
        return SKIP
    home = tempfile.mkdtemp(prefix=prefix)
    runtime = os.path.join(home, "runtime")
    os.mkdir(runtime, 0o700)
    # The accessibility bus is found through the display and the runtime
    # folder: both are this check's own.
    env = dict(os.environ, DISPLAY=display, HOME=home, XDG_RUNTIME_DIR=runtime,
               XDG_CONFIG_HOME=os.path.join(home, ".config"))
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    env.pop("AT_SPI_BUS_ADDRESS", None)
    try:
        command = [dbus_run_session, "--", sys.executable, script] + arguments
        return subprocess.run(command, env=env, timeout=110).returncode
    finally:
        server.kill()
        server.wait()
        shutil.rmtree(home, ignore_errors=True)

if __name__ == "__main__":
    sys.exit(main())
