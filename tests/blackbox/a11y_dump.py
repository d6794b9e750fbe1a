#!/usr/bin/python3
"""Lists what a screen reader finds in Tickerwisp's windows: every accessible object with its role,
name, description and actions, and flags each control that has no name.

usage: a11y_dump.py [--pid PID] [--window TITLE]... [--all]
  --pid PID       the program with that process id (default: the application named Tickerwisp)
  --window TITLE  dump the top-level window whose name begins with TITLE (repeatable);
                  default: the main window
  --all           every top-level window that is on the screen
Exit status: 0 when every control has a name, 1 when one has none, 2 when the program is not found.
Needs the accessibility bus of the desktop the program runs on (run it with /usr/bin/python3).
"""
import argparse
import sys

import pyatspi

MAIN_TITLE = "Tickerwisp - Market NEWS Viewer"

# Controls a user operates or reads on their own: each needs a name of its own.
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_LIST,
    pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM,
    pyatspi.ROLE_RADIO_MENU_ITEM, pyatspi.ROLE_MENU, pyatspi.ROLE_LINK,
}
# Containers: named when they are windows or status-bar panels, otherwise by what they hold.
CONTAINER_ROLES = {pyatspi.ROLE_FILLER, pyatspi.ROLE_PANEL, pyatspi.ROLE_LAYERED_PANE,
                   pyatspi.ROLE_UNKNOWN, pyatspi.ROLE_TOOL_BAR, pyatspi.ROLE_STATUS_BAR,
                   pyatspi.ROLE_SCROLL_PANE, pyatspi.ROLE_VIEWPORT, pyatspi.ROLE_PAGE_TAB_LIST}
# Their insides are cells, items or page content, named by what they show.
OPAQUE_ROLES = {pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE,
                pyatspi.ROLE_LIST, pyatspi.ROLE_DOCUMENT_WEB, pyatspi.ROLE_DOCUMENT_FRAME}
# Named by the page's own title, not by the program.
PAGE_ROLES = {pyatspi.ROLE_DOCUMENT_WEB, pyatspi.ROLE_DOCUMENT_FRAME}


def state_names(acc):
    try:
        acc.clear_cache()
    except Exception:
        pass
    return {pyatspi.stateToString(s) for s in acc.getState().getStates()}


def actions(acc):
    try:
        ai = acc.queryAction()
    except NotImplementedError:
        return []
    return [ai.getName(i) for i in range(ai.nActions)]


def needs_name(acc, depth, parent_role, acts, states):
    role = acc.getRole()
    if depth == 1:
        return True  # a window: what is announced when it comes up
    if role in PAGE_ROLES or role == pyatspi.ROLE_SCROLL_BAR:
        return False  # named by the page's title / by the pane they scroll
    # The text field and drop-down list of a combo box go by the combo box's name.
    if parent_role == pyatspi.ROLE_COMBO_BOX:
        return False
    if parent_role == pyatspi.ROLE_STATUS_BAR:
        # A status-bar panel is read on its own; the size grip is not.
        return role in (pyatspi.ROLE_FILLER, pyatspi.ROLE_PANEL, pyatspi.ROLE_LABEL)
    if role in CONTROL_ROLES:
        return True
    if role in CONTAINER_ROLES:
        return False
    # Anything else a user can act on or move the focus to.
    return bool(acts) or "focusable" in states


def dump(acc, out, unnamed, depth=0, parent_role=None, path=""):
    role = acc.getRoleName()
    states = state_names(acc)
    acts = actions(acc)
    name = acc.name or ""
    here = f"{path}/{role}" + (f"[{name}]" if name else "")
    # Hidden controls count too: the tool bar's overflow button, the other pages of a dialog.
    showing = "showing" in states
    flag = ""
    if needs_name(acc, depth, parent_role, acts, states) and not name.strip():
        flag = "   <-- NO NAME"
        unnamed.append(here)
    extra = []
    if acc.description:
        extra.append(f"description={acc.description!r}")
    if acts:
        extra.append("actions=" + ",".join(acts))
    if not showing:
        extra.append("hidden")
    if "enabled" not in states:
        extra.append("disabled")
    out.write(f"{'  ' * depth}{role} {name!r} {' '.join(extra)}{flag}\n")
    if acc.getRole() in OPAQUE_ROLES:
        count = acc.childCount
        if acc.getRole() == pyatspi.ROLE_TABLE:
            try:
                t = acc.queryTable()
                count = f"{t.nRows} rows x {t.nColumns} columns"
            except NotImplementedError:
                pass
        out.write(f"{'  ' * (depth + 1)}({count} children not listed)\n")
        return
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            dump(child, out, unnamed, depth + 1, acc.getRole(), here)


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None:
            continue
        try:
            if (pid and app.get_process_id() == pid) or (not pid and app.name == "Tickerwisp"):
                return app
        except Exception:
            continue
    return None


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pid", type=int, default=0)
    parser.add_argument("--window", action="append", default=[])
    parser.add_argument("--all", action="store_true")
    args = parser.parse_args(argv)

    app = find_application(args.pid)
    if app is None:
        print("Tickerwisp is not on the accessibility bus", file=sys.stderr)
        return 2
    out = sys.stdout
    out.write(f"application {app.name!r} pid {app.get_process_id()}\n")
    titles = args.window or [MAIN_TITLE]
    unnamed = []
    dumped = 0
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is None:
            continue
        name = window.name or ""
        if args.all:
            if "showing" not in state_names(window):
                continue
        elif not any(name.startswith(t) for t in titles):
            continue
        dump(window, out, unnamed, 1)
        dumped += 1
    if dumped == 0:
        print(f"no window named {titles}", file=sys.stderr)
        return 2
    if unnamed:
        out.write(f"\n{len(unnamed)} control(s) without a name:\n")
        for path in unnamed:
            out.write(f"  {path}\n")
        return 1
    out.write("\nevery control has a name\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
