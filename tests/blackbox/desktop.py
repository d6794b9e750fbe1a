"""What the suite sees of the desktop: the accessibility tree (AT-SPI), X windows (xdotool,
wmctrl, xprop, xwininfo) and the screen's pixels (ImageMagick's import)."""
import os
import re
import subprocess
import time

import pyatspi
from gi.repository import Atspi, GLib

# Every wait scales with this, for slow machines.
SLOW = float(os.environ.get("TW_BLACKBOX_SLOW", "1"))


class CheckFailed(AssertionError):
    pass


def wait_until(what, fn, timeout=20.0, interval=0.15):
    """Polls fn until it returns something true; returns that, or raises CheckFailed."""
    end = time.monotonic() + timeout * SLOW
    last_error = None
    while True:
        try:
            value = fn()
            if value:
                return value
            last_error = None
        except (CheckFailed, LookupError, RuntimeError, ValueError) as e:
            last_error = e
        except Exception as e:  # a dying object on the bus
            last_error = e
        if time.monotonic() >= end:
            raise CheckFailed(f"timed out after {timeout * SLOW:.0f}s waiting for {what}" +
                              (f" ({last_error})" if last_error else ""))
        time.sleep(interval)


def run(args, check=True, timeout=30):
    done = subprocess.run(args, capture_output=True, text=True, timeout=timeout)
    if check and done.returncode != 0:
        raise RuntimeError(f"{' '.join(args)}: {done.stderr.strip()}")
    return done.stdout


# ---- accessibility tree ----

def applications(pid=None, name=None):
    desktop = pyatspi.Registry.getDesktop(0)
    found = []
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None:
            continue
        try:
            if pid is not None and app.get_process_id() != pid:
                continue
            if name is not None and app.name != name:
                continue
        except Exception:
            continue
        found.append(app)
    return found


def no_cache(acc):
    # States and names change under us; never answer from the client-side cache.
    try:
        acc.set_cache_mask(Atspi.Cache.NONE)
    except Exception:
        pass
    return acc


def states(acc):
    try:
        acc.clear_cache()
    except Exception:
        pass
    return {pyatspi.stateToString(s) for s in acc.getState().getStates()}


def role(acc):
    return acc.getRoleName()


def children(acc):
    out = []
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            out.append(child)
    return out


# Below these roles the tree is cells or web content: never walked when looking for controls.
LEAF_ROLES = {pyatspi.ROLE_TABLE, pyatspi.ROLE_DOCUMENT_WEB, pyatspi.ROLE_DOCUMENT_FRAME,
              pyatspi.ROLE_LIST, pyatspi.ROLE_TREE_TABLE}


def walk(acc, depth=0, into_leaves=False):
    yield acc, depth
    if not into_leaves and acc.getRole() in LEAF_ROLES:
        return
    for child in children(acc):
        yield from walk(child, depth + 1, into_leaves)


def find_all(root, pred):
    return [acc for acc, _ in walk(root) if pred(acc)]


def find(root, what, pred, showing=True):
    """The one object pred accepts (the first in tree order); raises LookupError."""
    for acc, _ in walk(root):
        try:
            if pred(acc) and (not showing or "showing" in states(acc)):
                return acc
        except Exception:
            continue
    raise LookupError(f"no {what}")


def named(name, *roles):
    def pred(acc):
        return acc.name == name and (not roles or acc.getRole() in roles)
    return pred


def extents(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def action_names(acc):
    try:
        ai = acc.queryAction()
    except NotImplementedError:
        return []
    return [ai.getName(i) for i in range(ai.nActions)]


def do_action(acc, name):
    ai = acc.queryAction()
    for i in range(ai.nActions):
        if ai.getName(i) == name:
            return ai.doAction(i)
    raise LookupError(f"{acc.name!r} has no action {name!r}")


def text_of(acc):
    try:
        t = acc.queryText()
        return t.getText(0, t.characterCount)
    except NotImplementedError:
        return acc.name


def set_text(acc, value):
    acc.queryEditableText().setTextContents(value)


class FocusTracker:
    """The object that last took the focus, from the bus's focus events: the one way to reach a
    pop-up menu's entries, which are not among the application's windows."""

    def __init__(self):
        self.last = None
        pyatspi.Registry.registerEventListener(self._on_event, "object:state-changed:focused")

    def _on_event(self, event):
        if event.detail1:
            self.last = event.source

    def pump(self):
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)

    def focused(self):
        self.pump()
        return self.last

    def stop(self):
        pyatspi.Registry.deregisterEventListener(self._on_event, "object:state-changed:focused")


# ---- X ----

def xdotool(*args):
    return run(["xdotool", *[str(a) for a in args]])


def pointer():
    out = run(["xdotool", "getmouselocation", "--shell"])
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"])


def click_at(x, y, button=1, repeat=1):
    # --sync waits for the pointer to arrive, and for ever when it is there already.
    if pointer() != (x, y):
        xdotool("mousemove", "--sync", x, y)
    args = ["click"]
    if repeat > 1:
        args += ["--repeat", repeat, "--delay", 80]
    xdotool(*args, button)


def click(acc, button=1):
    """A mouse click in the middle of what the object reports as its place on the screen."""
    x, y, w, h = extents(acc)
    if w <= 0 or h <= 0:
        raise CheckFailed(f"{acc.name!r} has no place on the screen to click")
    click_at(x + w // 2, y + h // 2, button)


def key(*keys, window=None):
    args = ["key", "--clearmodifiers"]
    if window:
        args += ["--window", window]
    xdotool(*args, *keys)


def windows_of(pid):
    out = run(["xdotool", "search", "--pid", str(pid)], check=False)
    return [int(w) for w in out.split()]


def managed_windows():
    """(window id, pid, title) of every window the window manager manages."""
    rows = []
    for line in run(["wmctrl", "-lp"]).splitlines():
        parts = line.split(None, 4)
        if len(parts) >= 4:
            rows.append((int(parts[0], 16), int(parts[2]), parts[4] if len(parts) > 4 else ""))
    return rows


def window_name(win):
    return run(["xdotool", "getwindowname", str(win)], check=False).strip()


def xwininfo(win):
    return run(["xwininfo", "-id", str(win)], check=False)


def is_mapped(win):
    return "IsViewable" in xwininfo(win)


def parent_of(win):
    if not win:
        return 0  # xwininfo would wait for a click to choose a window
    m = re.search(r"Parent window id: (0x[0-9a-f]+)", run(["xwininfo", "-children", "-id",
                                                             str(win)], check=False))
    return int(m.group(1), 16) if m else 0


def root_window():
    m = re.search(r"Window id: (0x[0-9a-f]+)", run(["xwininfo", "-root"]))
    return int(m.group(1), 16)


def geometry(win):
    """The client area: (x, y, width, height) on the screen."""
    info = xwininfo(win)

    def number(label):
        return int(re.search(label + r":\s+(-?\d+)", info).group(1))
    return (number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
            number("Height"))


def frame_extents(win):
    """left, right, top, bottom of the window manager's frame."""
    out = run(["xprop", "-id", str(win), "_NET_FRAME_EXTENTS"], check=False)
    m = re.search(r"= (\d+), (\d+), (\d+), (\d+)", out)
    return tuple(int(v) for v in m.groups()) if m else (0, 0, 0, 0)


def frame_geometry(win):
    x, y, w, h = geometry(win)
    left, right, top, bottom = frame_extents(win)
    return x - left, y - top, w + left + right, h + top + bottom


def net_wm_state(win):
    return run(["xprop", "-id", str(win), "_NET_WM_STATE"], check=False)


def is_maximized(win):
    s = net_wm_state(win)
    return "_NET_WM_STATE_MAXIMIZED_VERT" in s and "_NET_WM_STATE_MAXIMIZED_HORZ" in s


def active_window():
    return int(run(["xdotool", "getactivewindow"], check=False).strip() or 0)


def activate(win):
    xdotool("windowactivate", "--sync", win)


def close_window(win):
    """What a click on the frame's close box does."""
    run(["wmctrl", "-ic", hex(win)])


def screen_size():
    m = re.search(r"dimensions:\s+(\d+)x(\d+)", run(["xdpyinfo"], check=False))
    if m:
        return int(m.group(1)), int(m.group(2))
    _, _, w, h = geometry(root_window())
    return w, h


# ---- pixels ----

class Screenshot:
    def __init__(self):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                              capture_output=True, check=True, timeout=60).stdout
        # P6 <w> <h> <max>\n<bytes>
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.pixels = data[header.end():]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def colours(self, rect, inset=2):
        """How often each colour occurs inside rect (x, y, w, h), borders left out."""
        x, y, w, h = rect
        counts = {}
        for yy in range(max(0, y + inset), min(self.height, y + h - inset)):
            for xx in range(max(0, x + inset), min(self.width, x + w - inset)):
                c = self.pixel(xx, yy)
                counts[c] = counts.get(c, 0) + 1
        return counts

    def dominant(self, rect, inset=2):
        counts = self.colours(rect, inset)
        return max(counts, key=counts.get) if counts else None


def near(c1, c2, tolerance=12):
    return c1 is not None and all(abs(a - b) <= tolerance for a, b in zip(c1, c2))


def save_screenshot(path):
    subprocess.run(["import", "-window", "root", path], capture_output=True, timeout=60)
