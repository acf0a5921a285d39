#!/usr/bin/python3
"""The window as a screen reader reads it over AT-SPI: the real program under a display with the
accessibility bus, its tree walked as Orca walks it, in Chinese and in English. Fails on any
control a person can use that has no name, and on a combo box without the label beside it.

Run under dbus-run-session and a display: atspi_view.py PROGRAM
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import Atspi, GLib

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_TREE, pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE,
    pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_ENTRY,
}
# Their rows and the entries of a combo box are named by what they show.
NOT_DESCENDED = {pyatspi.ROLE_TREE, pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE,
                 pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_COMBO_BOX}
WAIT_SECONDS = 30


def wait_for(condition, what):
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        found = condition()
        if found:
            return found
        time.sleep(0.1)
    raise SystemExit("no %s within %d s" % (what, WAIT_SECONDS))


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid and app.childCount > 0:
                return app
        except Exception:
            continue
    return None


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def problems(node, where, out):
    role = node.getRole()
    if not showing(node) and role != pyatspi.ROLE_MENU_ITEM:
        return out
    path = "%s/%s %r" % (where, node.getRoleName(), node.name)
    if role in INTERACTIVE:
        if not (node.name or "").strip():
            out.append("no name: " + path)
        if role == pyatspi.ROLE_COMBO_BOX:
            kinds = [r.getRelationType() for r in node.getRelationSet()]
            if pyatspi.RELATION_LABELLED_BY not in kinds:
                out.append("no label: " + path)
    if role not in NOT_DESCENDED:
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                problems(child, path, out)
    return out


def window_named(app, names):
    for i in range(app.childCount):
        child = app.getChildAtIndex(i)
        if child is not None and child.name in names and showing(child):
            return child
    return None


def press(node):
    """Presses without waiting for the answer: a menu item that opens a modal dialog answers only
    once the dialog has closed."""
    Atspi.set_timeout(500, 15000)
    try:
        node.queryAction().doAction(0)
    except GLib.Error:
        pass
    finally:
        Atspi.set_timeout(-1, -1)


def menu_item(node, prefix):
    if node.getRole() == pyatspi.ROLE_MENU_ITEM and (node.name or "").startswith(prefix):
        return node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        found = menu_item(child, prefix) if child is not None else None
        if found is not None:
            return found
    return None


def check(program, language, texts):
    home = tempfile.mkdtemp(prefix="zemlo-atspi-")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               ZEMLO_LANG=language, HOME=home, XDG_RUNTIME_DIR=home,
               XDG_CONFIG_HOME=os.path.join(home, "config"))
    # A run on a device of its own stands apart from any window of the user's.
    window = subprocess.Popen([program, "--port-device", "/dev/null"], env=env)
    found = []
    try:
        app = wait_for(lambda: application(window.pid), "window on the accessibility bus")
        main = wait_for(lambda: window_named(app, ["Zemlo Loader"]), "main window")
        found += problems(main, language, [])
        # The dialogs, opened from the menu as a screen reader's user opens them.
        for item, title in texts:
            press(menu_item(main, item))
            dialog = wait_for(lambda: window_named(app, [title]), "dialog " + title)
            found += problems(dialog, language, [])
            buttons = [dialog.getChildAtIndex(i) for i in range(dialog.childCount)]
            cancel = [b for b in buttons if b is not None and b.getRole() ==
                      pyatspi.ROLE_PUSH_BUTTON]
            press(cancel[-1])
            wait_for(lambda: window_named(app, [title]) is None, "dialog closed")
    finally:
        window.terminate()
        window.wait()
    return found


def main():
    program = sys.argv[1]
    found = check(program, "zh", [("设置", "端口设置"), ("关于", "关于")])
    found += check(program, "en", [("Settings", "Port Settings"), ("About", "About")])
    for line in found:
        print(line)
    if found:
        sys.exit(1)
    print("every control has a name and every combo box its label")


if __name__ == "__main__":
    main()
