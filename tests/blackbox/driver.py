#!/usr/bin/python3
"""Scenarios that drive the real tickerwisp from outside: X input, the accessibility bus, and the
files the program writes. Started by run.sh inside its own desktop; see the README."""
import datetime
import http.client
import http.server
import os
import shutil
import signal
import subprocess
import sys
import threading
import time
import traceback
import urllib.request

import desktop as dt
import pyatspi
import twfiles
from desktop import CheckFailed, wait_until

TW_BIN = os.environ["TW_BIN"]
TW_FEEDSIM = os.environ["TW_FEEDSIM"]
RESULTS = os.environ["TW_RESULTS"]
WORK = os.environ["TW_WORK"]
HERE = os.path.dirname(os.path.abspath(__file__))

MAIN_TITLE = "Tickerwisp - Market NEWS Viewer"
TITLE_COL = 5 + 4  # the headline title
LOOK_COL = 5       # the new / opened / unopened picture
TWIPS = 15         # per pixel at 96 dpi, which the runner's screen has

# Accessible names of the controls the scenarios use: a control without its name fails the
# scenario, as it would leave a screen-reader user without it.
SEARCH_BOX_NAME = "検索ボックス"
DROP_DOWN_NAME = "ウィンドウ・その他"  # the drop-down button

PINK = (255, 191, 191)    # a title that matched the search
GREY = (223, 223, 223)    # every other title row
WHITE = (255, 255, 255)
NEW_RED = (217, 48, 37)   # the "N" of a new headline
CLOSED_BLUE = (58, 120, 194)  # a headline not opened yet

PATROL_FIRST_TICK_S = 65.535  # the patrol timer's interval, armed before the window shows


VERBOSE = os.environ.get("TW_BLACKBOX_VERBOSE") == "1"


def log(message):
    print(message, flush=True)


def detail(message):
    if VERBOSE:
        log(f"    {message}")


def today():
    return datetime.date.today()


# ---- services ----


def stop_process(proc):
    """Ends a process of ours: asked first, then killed."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()

class Feedsim:
    """tools/feedsim on free loopback ports, its clock frozen at a time of today."""

    def __init__(self, folder, start="10:30:00", rate=2, extra=()):
        os.makedirs(folder, exist_ok=True)
        self.out_path = os.path.join(folder, "feedsim.out")
        self.err_path = os.path.join(folder, "feedsim.log")
        self.proc = subprocess.Popen(
            [TW_FEEDSIM, "--port", "0", "--tdnet-port", "0", "--frozen", "--rate", str(rate),
             "--start", f"{today().isoformat()}T{start}", *extra],
            stdout=open(self.out_path, "w"), stderr=open(self.err_path, "w"))

        def ports():
            lines = open(self.out_path).read().split()
            if "portal" in lines and "tdnet" in lines:
                return lines[lines.index("portal") + 1], lines[lines.index("tdnet") + 1]
            if self.proc.poll() is not None:
                raise RuntimeError("feedsim ended: " + open(self.err_path).read())
            return None
        self.portal, self.tdnet = wait_until("feedsim's addresses", ports, 20)

    def stop(self):
        stop_process(self.proc)


class Gate:
    """An HTTP relay in front of feedsim's portal that can hold a source's first list request, so
    that a fetch cycle is still running at a given moment and ends soon after it.

    A cycle reads the sources one after another with a pause of at least a second after each, so
    once source k of n is let through at or after `not_before - (n - k) * pace`, the cycle cannot
    end before `not_before` while pace is at most the real time per source. The pace is taken as
    four fifths of what the cycle has shown so far (never under the one-second pause): the early
    sources are held little, the last ones just enough."""

    def __init__(self, upstream, sources=26):
        self.upstream = upstream
        self.sources = sources
        self.not_before = None
        self.codes = []
        self.arrivals = []
        self.releases = []
        self.lock = threading.Lock()
        gate = self

        def release_time(k, arrival):
            if gate.not_before is None:
                return arrival
            if k > 3:
                pace = max(1.0, 0.8 * (arrival - gate.arrivals[0]) / (k - 1))
            elif k == gate.sources:
                pace = 1.0
            else:
                return arrival
            target = gate.not_before - (gate.sources - k) * pace
            # Below the program's 10 s time-out, so the page still arrives.
            return min(max(arrival, target), arrival + 8.5)

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.0"

            def log_message(self, *args):
                pass

            def do_GET(self):
                arrival = time.monotonic()
                release = arrival
                if self.path.startswith("/cp/"):
                    code = self.path[4:].split("?")[0]
                    with gate.lock:
                        if code not in gate.codes:
                            gate.codes.append(code)
                            gate.arrivals.append(arrival)
                            release = release_time(len(gate.codes), arrival)
                            gate.releases.append(release)
                time.sleep(max(0.0, release - time.monotonic()))
                try:
                    host, port = gate.upstream.split(":")
                    conn = http.client.HTTPConnection(host, int(port), timeout=30)
                    conn.request("GET", self.path)
                    answer = conn.getresponse()
                    body = answer.read()
                    self.send_response(answer.status)
                    for name, value in answer.getheaders():
                        if name.lower() not in ("connection", "transfer-encoding",
                                                "content-length"):
                            self.send_header(name, value)
                    self.send_header("Content-Length", str(len(body)))
                    self.end_headers()
                    self.wfile.write(body)
                except (OSError, http.client.HTTPException):
                    pass  # the program gave up on this request

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.address = f"127.0.0.1:{self.server.server_address[1]}"
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


# ---- the program ----

class App:
    """One run of tickerwisp on a scenario's data folder."""

    def __init__(self, sc):
        self.sc = sc
        sc.apps.append(self)
        self.number = len(sc.apps)
        self.log_path = sc.path(f"tickerwisp-{self.number}.log")
        env = dict(os.environ, HOME=sc.home, XDG_DATA_HOME=sc.data,
                   XDG_CONFIG_HOME=os.path.join(sc.home, ".config"),
                   XDG_CACHE_HOME=os.path.join(sc.home, ".cache"))
        self.started = time.monotonic()
        self.proc = subprocess.Popen([TW_BIN], env=env, cwd=sc.home,
                                     stdout=open(self.log_path, "w"), stderr=subprocess.STDOUT)
        self.pid = self.proc.pid

        def on_bus():
            self.assert_running()
            found = dt.applications(pid=self.pid)
            return found[0] if found else None
        self.acc = dt.no_cache(wait_until("the program on the accessibility bus", on_bus, 60))
        self.main = wait_until("the main window on the screen", self._main_frame, 60)
        self.shown_at = time.monotonic()
        self.win = wait_until("the main window's X window", self._main_window, 20)

    def assert_running(self):
        if self.proc.poll() is not None:
            raise CheckFailed(f"tickerwisp ended with status {self.proc.returncode}")

    def running(self):
        return self.proc.poll() is None

    def _main_frame(self):
        self.assert_running()
        for w in dt.children(self.acc):
            if (w.name or "").startswith(MAIN_TITLE) and "showing" in dt.states(w):
                return w
        return None

    def _main_window(self):
        for w in dt.windows_of(self.pid):
            if dt.window_name(w).startswith(MAIN_TITLE):
                return w
        return None

    def top_levels(self):
        return dt.children(self.acc)

    def window_named(self, name):
        for w in self.top_levels():
            if w.name == name and "showing" in dt.states(w):
                return w
        return None

    def viewer_window(self):
        """The viewer's X window: the program's other managed window."""
        for win, pid, _ in dt.managed_windows():
            if pid == self.pid and win != self.win and dt.is_mapped(win):
                return win
        return None

    def tray_icon_window(self):
        """The program's icon: its window embedded in another program's window (trayer's)."""
        others = {win for win, pid, _ in dt.managed_windows() if pid != self.pid}
        root = dt.root_window()
        for win in dt.windows_of(self.pid):
            if not dt.is_mapped(win):
                continue
            up = dt.parent_of(win)
            for _ in range(8):
                if up in others:
                    return win
                if up in (0, root):
                    break
                up = dt.parent_of(up)
        return None

    # controls

    def toolbar(self):
        return dt.find(self.main, "tool bar", lambda a: a.getRole() == pyatspi.ROLE_TOOL_BAR)

    def button(self, name):
        return dt.find(self.toolbar(), f"button {name!r}", dt.named(
            name, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX))

    def search_box(self):
        # On this platform a combo box's accessible name is its text; the box is known by its
        # text field, which carries the name.
        def pred(acc):
            if acc.getRole() != pyatspi.ROLE_COMBO_BOX:
                return False
            if acc.name == SEARCH_BOX_NAME:
                return True
            return any(c.name == SEARCH_BOX_NAME and
                       c.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)
                       for c in dt.children(acc))
        return dt.find(self.main, f"search box {SEARCH_BOX_NAME!r}", pred)

    def search_edit(self):
        box = self.search_box()
        return dt.find(box, "the search box's text field",
                       lambda a: a.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY))

    def drop_down(self):
        return dt.find(self.toolbar(), f"drop-down button {DROP_DOWN_NAME!r}",
                       dt.named(DROP_DOWN_NAME))

    def set_search_text(self, text):
        edit = self.search_edit()
        dt.set_text(edit, text)
        wait_until(f"search box text {text!r}", lambda: dt.text_of(self.search_edit()) == text, 10)

    def search_text(self):
        return dt.text_of(self.search_edit())

    def search_history(self):
        box = self.search_box()
        lists = [c for c in dt.children(box) if c.getRole() == pyatspi.ROLE_LIST]
        return [item.name for item in dt.children(lists[0])] if lists else []

    def table(self):
        return dt.find(self.main, "headline table", lambda a: a.getRole() == pyatspi.ROLE_TABLE)

    def rows(self):
        """Every row of the table: title, place on the screen, current or not."""
        t = self.table()
        ti = t.queryTable()
        out = []
        for r in range(ti.nRows):
            cell = ti.getAccessibleAt(r, TITLE_COL)
            x, y, w, h = dt.extents(cell)
            st = dt.states(cell)
            out.append({"row": r, "title": cell.name, "rect": (x, y, w, h),
                        "current": "focused" in st, "visible": h > 0})
        return out

    def rows_on_screen(self, *cols):
        """The rows drawn in the table's visible part, top to bottom, found by asking the table
        what lies under points down its columns: {col: (name, rect)} per row. Cheap on a long
        table, where rows() asks about every row."""
        t = self.table()
        comp = t.queryComponent()
        _, ty, _, th = dt.extents(t)
        ti = t.queryTable()
        if ti.nRows == 0:
            return []
        xs = {}
        for c in cols:
            x, _, w, _ = dt.extents(ti.getAccessibleAt(0, c))
            xs[c] = x + max(1, w // 2)
        out = []
        y = ty + 1
        while y < ty + th:
            row = {}
            first = cols[0]
            acc = comp.getAccessibleAtPoint(xs[first], y, pyatspi.DESKTOP_COORDS)
            if acc is None or acc.getRole() != pyatspi.ROLE_TABLE_CELL:
                y += 3
                continue
            rect = dt.extents(acc)
            if rect[3] <= 0:
                y += 3
                continue
            row[first] = (acc.name, rect)
            for c in cols[1:]:
                other = comp.getAccessibleAtPoint(xs[c], rect[1] + rect[3] // 2,
                                                  pyatspi.DESKTOP_COORDS)
                if other is not None:
                    row[c] = (other.name, dt.extents(other))
            # Only rows whole inside the table: a cut one may lie under the status bar.
            if rect[1] + rect[3] <= ty + th:
                out.append(row)
            y = rect[1] + rect[3] + 1
        return out

    def visible_titles(self):
        return [r["title"] for r in self.rows() if r["visible"]]

    def cell_rect(self, row, col):
        return dt.extents(self.table().queryTable().getAccessibleAt(row, col))

    def current_row(self):
        for r in self.rows():
            if r["current"]:
                return r
        return None

    def status_message(self):
        bar = dt.find(self.main, "status bar", lambda a: a.getRole() == pyatspi.ROLE_STATUS_BAR)
        panels = [c for c in dt.children(bar) if c.getRole() in (pyatspi.ROLE_FILLER,
                                                                  pyatspi.ROLE_PANEL)]
        first = next((p for p in panels if p.name == "メッセージ"), panels[0])
        # The panel's picture is a label too, named after the panel and hidden when unused.
        return "".join(dt.text_of(label) for label in dt.children(first)
                       if label.getRole() == pyatspi.ROLE_LABEL
                       and "showing" in dt.states(label))

    def enabled(self, acc):
        return "enabled" in dt.states(acc) or "sensitive" in dt.states(acc)

    def raise_main(self):
        dt.activate(self.win)

    def click(self, acc):
        dt.click(acc)

    def press(self, name):
        """A click on a tool-bar button, found by its name."""
        button = self.button(name)
        if not self.enabled(button):
            raise CheckFailed(f"{name} is disabled")
        dt.click(button)

    def close(self, timeout=30):
        """Closes the main window the way its close box does; the program must end."""
        dt.close_window(self.win)
        try:
            self.proc.wait(timeout * dt.SLOW)
        except subprocess.TimeoutExpired:
            raise CheckFailed("the program did not end after its main window was closed")

    def kill(self):
        stop_process(self.proc)

    def dump(self):
        return subprocess.run(["/usr/bin/python3", os.path.join(HERE, "a11y_dump.py"), "--pid",
                               str(self.pid), "--all"], capture_output=True, text=True,
                              timeout=120)


# ---- scenarios ----

class Scenario:
    def __init__(self, name):
        self.name = name
        self.dir = os.path.join(WORK, name)
        self.home = os.path.join(self.dir, "home")
        self.data = os.path.join(self.dir, "data")
        self.tw = os.path.join(self.data, "Tickerwisp")
        os.makedirs(os.path.join(self.tw, "Data"), exist_ok=True)
        os.makedirs(self.home, exist_ok=True)
        self.apps = []
        self.services = []
        self.notes = []
        self.failures = []

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def note(self, text):
        if text not in self.notes:
            self.notes.append(text)
            log(f"    note: {text}")

    def check(self, ok, message):
        """A check that lets the scenario go on; the scenario fails at its end."""
        if not ok:
            self.failures.append(message)
            log(f"    FAILED: {message}")
        return ok

    @property
    def ini_path(self):
        return os.path.join(self.tw, "SYSTEM.INI")

    @property
    def history_path(self):
        return os.path.join(self.tw, "Data", "検索.INI")

    @property
    def day_path(self):
        return os.path.join(self.tw, "Data", twfiles.day_file_name(today()))

    def write_settings(self, feed, placement=(10, 10, 620, 720), options=None, news_host=None):
        left, top, width, height = placement
        sections = {
            "FORM MAIN": {"LEFT": left * TWIPS, "TOP": top * TWIPS, "WIDTH": width * TWIPS,
                          "HEIGHT": height * TWIPS},
            "OPTION": dict(options or {}),
            "SERVER": {"NEWS HOST": "http://" + (news_host or feed.portal),
                       "TDNET HOST": "http://" + feed.tdnet,
                       "BOARD HOST": "http://" + feed.portal,
                       "VIP HOST": "http://" + feed.portal},
        }
        twfiles.write_ini(self.ini_path, sections)

    def write_headlines(self, items):
        with open(self.day_path, "wb") as f:
            f.write(twfiles.encode_day_file(items))


def seed_headlines(feed, count=20):
    """Newest first. Every even one is about トヨタ, every fourth from 1 about ホンダ."""
    sources = ["ロイター", "ブルームバーグ", "時事通信社", "フィスコ", "東洋経済"]
    base = datetime.datetime.combine(today(), datetime.time(9, 0))
    items = []
    for i in range(count):
        if i % 2 == 0:
            title = f"トヨタ、新型車の生産を拡大 その{i}"
        elif i % 4 == 1:
            title = f"ホンダ、二輪の販売が好調 その{i}"
        else:
            title = f"日経平均は小幅に続伸 その{i}"
        items.append(twfiles.Headline(
            posted=base + datetime.timedelta(minutes=10 * (count - i)),
            source=sources[i % len(sources)], category="市況" if i % 3 else "",
            title=title, url=f"http://{feed.portal}/article/{i}.html",
            is_opened=i % 3 == 0, is_new=i % 5 == 0))
    return items


def titles_with(items, word):
    return [h.title for h in items if word in h.title]


def in_table_order(titles, items):
    """The grid shows the oldest at the top."""
    order = [h.title for h in reversed(items)]
    return sorted(titles, key=order.index)


def start_seeded(sc, feed, **settings):
    items = seed_headlines(feed)
    sc.write_settings(feed, **settings)
    sc.write_headlines(items)
    app = App(sc)
    wait_until("the stored headlines in the table",
               lambda: sorted(app.visible_titles()) == sorted(h.title for h in items), 30)
    return app, items


def wait_viewer(app):
    """The version page opens in the viewer at start; let it settle before typing."""
    return wait_until("the viewer window", app.viewer_window, 40)


def title_colours(app, shot):
    """Dominant colour of each visible title cell, current row left out (it shows the
    selection)."""
    out = {}
    for r in app.rows():
        if r["visible"] and not r["current"]:
            out[r["title"]] = shot.dominant(r["rect"])
    return out


def look_cells_with(app, shot, colour, tolerance=40, at_least=6):
    """Titles of the rows on screen whose picture column has at least a few pixels of the
    colour."""
    hits = []
    for row in app.rows_on_screen(LOOK_COL, TITLE_COL):
        counts = shot.colours(row[LOOK_COL][1], inset=1)
        n = sum(v for c, v in counts.items() if dt.near(c, colour, tolerance))
        if n >= at_least:
            hits.append(row.get(TITLE_COL, ("?",))[0])
    return hits


# Each scenario: (name, function, what it needs to pass).

def sc_filter_round_trip(sc, feed):
    app, items = start_seeded(sc, feed)
    all_titles = sorted(h.title for h in items)
    wait_viewer(app)
    for word in ("トヨタ", "ホンダ"):
        expected = sorted(titles_with(items, word))
        app.set_search_text(word)
        app.press("フィルタ")
        wait_until(f"only the {len(expected)} rows with {word} visible",
                   lambda: sorted(app.visible_titles()) == expected, 15)
        filt = app.button("フィルタ")
        sc.check("checked" in dt.states(filt), "フィルタ does not show as pressed")
        app.press("フィルタ")
        wait_until(f"every row visible again after releasing フィルタ (filter {word})",
                   lambda: sorted(app.visible_titles()) == all_titles, 15)
    app.set_search_text("")
    app.press("フィルタ")
    wait_until("nothing hidden by an empty word", lambda: app.button("フィルタ") and "checked" in
               dt.states(app.button("フィルタ")), 10)
    visible = sorted(app.visible_titles())
    sc.check(visible == all_titles, f"an empty filter word hides rows: {len(visible)} of "
             f"{len(all_titles)} visible")
    app.press("フィルタ")
    app.close()


def settle(sc, what, observe, good, timeout=10):
    """Polls what the screen shows until good() accepts it: a repaint may trail the state the
    accessibility bus already reports. Records a failure with the last observation."""
    last = {}

    def attempt():
        last["seen"] = observe()
        return good(last["seen"])
    try:
        wait_until(what, attempt, timeout, interval=0.3)
        return True
    except CheckFailed:
        return sc.check(False, f"{what}: saw {last.get('seen')}")


def check_marks(sc, app, items, word):
    matching = set(titles_with(items, word))
    top = in_table_order(list(matching), items)[0]
    wait_until(f"the current row on the highest match {top!r}",
               lambda: (app.current_row() or {}).get("title") == top, 15)
    app.raise_main()

    def wrongly_marked():
        colours = title_colours(app, dt.Screenshot())
        detail(f"title colours for {word}: {colours}")
        wrong = [f"{t}: {c}" for t, c in colours.items() if (t in matching) != dt.near(c, PINK)]
        # Every row but the current one is seen.
        return wrong if len(colours) >= len(items) - 1 else ["only", len(colours), "rows seen"]
    settle(sc, f"the titles with {word} marked and no others", wrongly_marked,
           lambda wrong: not wrong)


def sc_search_marks(sc, feed):
    app, items = start_seeded(sc, feed)
    wait_viewer(app)
    app.set_search_text("トヨタ")
    app.press("検索")
    check_marks(sc, app, items, "トヨタ")
    # A word nothing matches: the marks go and the status bar says so.
    app.set_search_text("存在しない語")
    app.press("検索")
    wait_until("the not-found message", lambda: app.status_message() == "該当記事がありませんでした。",
               10)
    app.raise_main()
    settle(sc, "no marks after a search that found nothing",
           lambda: [t for t, c in title_colours(app, dt.Screenshot()).items()
                    if dt.near(c, PINK)], lambda pink: not pink)
    app.close()


def sc_search_enter(sc, feed):
    app, items = start_seeded(sc, feed)
    wait_viewer(app)
    app.raise_main()
    app.set_search_text("ホンダX")
    app.click(app.search_edit())
    wait_until("the keyboard in the search box", lambda: "focused" in dt.states(app.search_edit()),
               10)
    # The keys reach the box: the last letter goes.
    dt.key("End")
    dt.key("BackSpace")
    wait_until("ホンダ typed", lambda: app.search_text() == "ホンダ", 10)
    dt.key("Return")
    check_marks(sc, app, items, "ホンダ")
    sc.check("ホンダ" in app.search_history(), f"ホンダ not in the search history: "
             f"{app.search_history()}")
    app.close()


def sc_tray_and_viewer(sc, feed):
    app, items = start_seeded(sc, feed)
    viewer = wait_viewer(app)
    app.set_search_text("トヨタ")
    app.press("検索")
    wait_until("トヨタ in the history", lambda: "トヨタ" in app.search_history(), 10)
    app.raise_main()
    frame = dt.frame_geometry(app.win)
    app.press("タスクトレイ")
    wait_until("the main window hidden", lambda: not dt.is_mapped(app.win), 10)
    icon = wait_until("the tray icon", app.tray_icon_window, 10)
    dt.close_window(viewer)
    wait_until("the viewer closed", lambda: app.viewer_window() is None or not app.running(), 10)
    # Give an exit every chance to happen before calling the program alive.
    end = time.monotonic() + 3
    while time.monotonic() < end and app.running():
        time.sleep(0.1)
    if not app.running():
        raise CheckFailed(f"the program ended (status {app.proc.returncode}) when the viewer "
                          "was closed while the main window was in the tray")
    ini_before = twfiles.Ini(sc.ini_path)
    sc.check(ini_before.get("FORM MAIN", "LEFT") == str(10 * TWIPS),
             "SYSTEM.INI was written while the main window sat in the tray")
    x, y, w, h = dt.geometry(icon)
    dt.click_at(x + w // 2, y + h // 2, repeat=2)
    wait_until("the main window back from the tray", lambda: dt.is_mapped(app.win), 10)
    wait_until("the tray icon gone", lambda: app.tray_icon_window() is None, 10)
    sc.check(dt.frame_geometry(app.win) == frame,
             f"window back at {dt.frame_geometry(app.win)}, was {frame}")
    frame = dt.frame_geometry(app.win)
    app.close()
    ini = twfiles.Ini(sc.ini_path)
    saved = tuple(int(ini.get("FORM MAIN", k, "-1")) for k in ("LEFT", "TOP", "WIDTH", "HEIGHT"))
    sc.check(saved == tuple(v * TWIPS for v in frame),
             f"SYSTEM.INI FORM MAIN {saved}, the window's frame was {frame} pixels")
    lines = twfiles.read_lines(sc.history_path) if os.path.exists(sc.history_path) else []
    sc.check(lines[:1] == ["トヨタ"] and "トヨタ" in lines[1:],
             f"検索.INI holds {lines}")


def options_dialog(app):
    app.press("環境設定")
    return wait_until("the options dialog", lambda: app.window_named("環境設定"), 15)


def dialog_control(dialog, name, *roles):
    return dt.find(dialog, f"{name!r} in the options dialog", dt.named(name, *roles))


DONT_FORWARD = "新着時に、ウィンドウを前面に出さない。"
VIEWER_BELOW = "メインウィンドウの下にビューワを表示します。"
VIEWER_RIGHT = "メインウィンドウの右にビューワを表示します。"


def sc_options_ok_cancel(sc, feed):
    app, _ = start_seeded(sc, feed)
    dialog = options_dialog(app)
    check = dialog_control(dialog, DONT_FORWARD, pyatspi.ROLE_CHECK_BOX)
    sc.check("checked" not in dt.states(check), "DONT FORWARD starts checked")
    app.click(check)
    wait_until("the check box ticked", lambda: "checked" in dt.states(check), 10)
    below = dialog_control(dialog, VIEWER_BELOW, pyatspi.ROLE_RADIO_BUTTON)
    app.click(below)
    wait_until("the viewer placed below", lambda: "checked" in dt.states(below), 10)
    app.click(dialog_control(dialog, "OK", pyatspi.ROLE_PUSH_BUTTON))
    wait_until("the options dialog closed", lambda: app.window_named("環境設定") is None, 10)
    ini = twfiles.Ini(sc.ini_path)
    sc.check(ini.get("OPTION", "DONT FORWARD") == "True",
             f"DONT FORWARD={ini.get('OPTION', 'DONT FORWARD')} after OK")
    sc.check(ini.get("OPTION", "VIEWER POSITION") == "0",
             f"VIEWER POSITION={ini.get('OPTION', 'VIEWER POSITION')} after OK")

    dialog = options_dialog(app)
    check = dialog_control(dialog, DONT_FORWARD, pyatspi.ROLE_CHECK_BOX)
    sc.check("checked" in dt.states(check), "DONT FORWARD not ticked when the dialog reopens")
    sc.check("checked" in dt.states(dialog_control(dialog, VIEWER_BELOW,
                                                   pyatspi.ROLE_RADIO_BUTTON)),
             "the viewer position did not come back")
    saved = open(sc.ini_path, "rb").read()
    app.click(check)
    wait_until("the check box cleared", lambda: "checked" not in dt.states(check), 10)
    app.click(dialog_control(dialog, VIEWER_RIGHT, pyatspi.ROLE_RADIO_BUTTON))
    app.click(dialog_control(dialog, "キャンセル", pyatspi.ROLE_PUSH_BUTTON))
    wait_until("the options dialog closed", lambda: app.window_named("環境設定") is None, 10)
    sc.check(open(sc.ini_path, "rb").read() == saved, "キャンセル changed SYSTEM.INI")

    dialog = options_dialog(app)
    sc.check("checked" in dt.states(dialog_control(dialog, DONT_FORWARD,
                                                   pyatspi.ROLE_CHECK_BOX)),
             "キャンセル kept the cleared check box")
    sc.check("checked" in dt.states(dialog_control(dialog, VIEWER_BELOW,
                                                   pyatspi.ROLE_RADIO_BUTTON)),
             "キャンセル kept the changed viewer position")
    app.click(dialog_control(dialog, "キャンセル", pyatspi.ROLE_PUSH_BUTTON))
    wait_until("the options dialog closed", lambda: app.window_named("環境設定") is None, 10)
    app.close()


def menu_entry(app, opener, prefix):
    """Opens a pop-up menu and moves through it with the keyboard to the entry whose name begins
    with prefix, as a screen-reader user does; Return runs it."""
    tracker = dt.FocusTracker()
    try:
        app.raise_main()
        app.click(opener)
        seen = []
        for _ in range(15):
            # A key sent before the menu is up is lost: then the focus does not move.
            dt.key("Down")
            try:
                acc = wait_until("the focus on a menu entry", lambda: (
                    tracker.focused() if tracker.focused() is not None and
                    (not seen or tracker.focused().name != seen[-1]) else None), 2)
            except CheckFailed:
                continue
            seen.append(acc.name)
            if acc.getRole() == pyatspi.ROLE_MENU_ITEM and (acc.name or "").startswith(prefix):
                dt.key("Return")
                return
        raise CheckFailed(f"no menu entry {prefix!r} among {seen}")
    finally:
        tracker.stop()


def open_csv_dialog(app):
    menu_entry(app, app.drop_down(), "ニュースをCSV出力")
    return wait_until("the CSV save dialog", lambda: app.window_named("ニュースをCSV出力"), 15)


def file_name_field(dialog):
    fields = dt.find_all(dialog, lambda a: a.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)
                         and "editable" in dt.states(a) and "showing" in dt.states(a))
    for f in fields:
        if (f.name or "").rstrip(":：").lower().replace("&", "") in ("file name", "ファイル名"):
            return f
    focused = [f for f in fields if "focused" in dt.states(f)]
    if focused:
        return focused[0]
    raise LookupError("no file-name field in the save dialog")


def sc_all_read_and_csv(sc, feed):
    app, items = start_seeded(sc, feed)
    app.raise_main()
    expected_unopened = sorted(h.title for h in items if not h.is_opened)
    settle(sc, "the unopened picture on the unopened headlines",
           lambda: sorted(look_cells_with(app, dt.Screenshot(), CLOSED_BLUE)),
           lambda seen: seen == expected_unopened)
    before = os.stat(sc.day_path).st_mtime_ns
    app.press("全て既読")

    def day_file_all_read():
        if os.stat(sc.day_path).st_mtime_ns == before:
            return False
        stored = twfiles.decode_day_file(open(sc.day_path, "rb").read())
        return all(h.is_opened and not h.is_new for h in stored) and len(stored) == len(items)
    wait_until("the day file rewritten with every headline read", day_file_all_read, 15)
    app.raise_main()
    settle(sc, "no unopened picture and no N mark after 全て既読",
           lambda: look_cells_with(app, dt.Screenshot(), CLOSED_BLUE) +
           look_cells_with(app, dt.Screenshot(), NEW_RED), lambda seen: not seen)

    target_dir = os.path.join(sc.home, "export")
    os.makedirs(target_dir)
    # Typed without its extension, as most users do: the file gets ".csv".
    typed = os.path.join(target_dir, "ニュース")
    target = typed + ".csv"
    dialog = open_csv_dialog(app)
    field = wait_until("the file-name field", lambda: file_name_field(dialog), 10)
    dt.set_text(field, typed)
    wait_until("the path typed", lambda: dt.text_of(field) == typed, 10)
    dt.key("Return")

    def message_box():
        for w in app.top_levels():
            for label in dt.find_all(w, lambda a: a.getRole() == pyatspi.ROLE_LABEL and
                                     "ニュースデータを出力しました" in (a.name or "")):
                return w, label
        return None
    box, label = wait_until("the export's message box", message_box, 15)
    sc.check(label.name == target + " にニュースデータを出力しました。", f"message {label.name!r}")
    app.click(dt.find(box, "OK", dt.named("OK", pyatspi.ROLE_PUSH_BUTTON)))
    raw = open(target, "rb").read()
    lines = raw.decode("utf-8").split("\r\n")
    sc.check(lines[-1] == "" and raw.count(b"\n") == raw.count(b"\r\n"), "CSV lines not CR LF")
    lines = lines[:-1]
    sc.check(len(lines) == len(items), f"{len(lines)} CSV lines for {len(items)} headlines")
    for i, (line, h) in enumerate(zip(lines, items)):
        if not (line.startswith(f"{i},") and f',"{h.title}",' in line):
            sc.check(False, f"CSV line {i} is {line!r}, headline {h.title!r}")
            break
    app.close()


def sc_csv_dialog_start(sc, feed):
    app, _ = start_seeded(sc, feed)
    documents = os.path.join(sc.home, "Documents")
    # A fresh account has no documents folder yet; then one where it exists.
    for attempt in ("without a documents folder", "with a documents folder"):
        dialog = open_csv_dialog(app)
        field = wait_until("the file-name field", lambda: file_name_field(dialog), 10)
        sc.check(dt.text_of(field) == "",
                 f"{attempt}: the file name starts as {dt.text_of(field)!r}")
        # The folder the dialog shows, in its look-in box. Where the documents folder does not
        # exist (and the program did not make it) the home folder is the nearest.
        expected = documents if os.path.isdir(documents) else sc.home
        shown = [dt.text_of(a) or a.name for a in dt.find_all(
            dialog, lambda a: a.getRole() == pyatspi.ROLE_COMBO_BOX)]
        sc.check(any(s.rstrip("/") == expected for s in shown),
                 f"{attempt}: the dialog shows {shown}, not {expected}")
        cancel = dt.find(dialog, "Cancel", lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and
                         a.name in ("Cancel", "キャンセル"))
        app.click(cancel)
        wait_until("the dialog closed", lambda: app.window_named("ニュースをCSV出力") is None, 10)
        os.makedirs(documents, exist_ok=True)
    app.close()


def sc_restart_restores(sc, feed):
    app, items = start_seeded(sc, feed)
    rows_before = app.visible_titles()
    for word in ("トヨタ", "ホンダ"):
        app.set_search_text(word)
        app.press("検索")
        wait_until(f"{word} in the history", lambda: app.search_history()[:1] == [word], 10)
    app.close()
    lines = twfiles.read_lines(sc.history_path)
    sc.check(lines == ["ホンダ", "ホンダ", "トヨタ"], f"検索.INI holds {lines}")

    app = App(sc)
    wait_until("the day's headlines back", lambda: app.visible_titles() == rows_before, 20)
    sc.check(app.search_text() == "ホンダ", f"search box shows {app.search_text()!r}")
    sc.check(app.search_history() == ["ホンダ", "トヨタ"],
             f"search history {app.search_history()}")
    app.close()


def sc_restart_placement(sc, feed):
    placement = (40, 30, 620, 720)
    app, _ = start_seeded(sc, feed, placement=placement)
    sc.check(dt.frame_geometry(app.win) == placement,
             f"first start: frame {dt.frame_geometry(app.win)}, SYSTEM.INI says {placement}")
    # A size of the user's own.
    dt.run(["xdotool", "windowsize", "--sync", str(app.win), "900", "600"])
    wait_until("the window at 900x600", lambda: dt.geometry(app.win)[2:] == (900, 600), 10)
    client, frame = dt.geometry(app.win), dt.frame_geometry(app.win)
    app.close()
    ini = twfiles.Ini(sc.ini_path)
    saved = tuple(int(ini.get("FORM MAIN", k, "-1")) for k in ("LEFT", "TOP", "WIDTH", "HEIGHT"))
    sc.check(saved == tuple(v * TWIPS for v in frame),
             f"saved {saved}, frame was {frame} pixels")
    for attempt in (1, 2):
        app = App(sc)
        wait_until(f"restart {attempt}: the window as it was left ({client})",
                   lambda: dt.geometry(app.win) == client, 10)
        app.close()

    app = App(sc)
    dt.run(["wmctrl", "-ir", hex(app.win), "-b", "add,maximized_vert,maximized_horz"])
    wait_until("the window maximised", lambda: dt.is_maximized(app.win), 10)
    wait_until("the maximised size", lambda: dt.geometry(app.win)[2] > client[2], 10)
    app.close()
    ini = twfiles.Ini(sc.ini_path)
    sc.check((ini.get("FORM MAIN", "MAXIMIZED") or "").lower() == "true",
             f"MAXIMIZED={ini.get('FORM MAIN', 'MAXIMIZED')} after closing maximised")
    saved = tuple(int(ini.get("FORM MAIN", k, "-1")) for k in ("LEFT", "TOP", "WIDTH", "HEIGHT"))
    sc.check(saved == tuple(v * TWIPS for v in frame),
             f"maximised: saved {saved}, the normal frame was {frame} pixels")

    app = App(sc)
    wait_until("the window maximised again", lambda: dt.is_maximized(app.win), 10)
    dt.run(["wmctrl", "-ir", hex(app.win), "-b", "remove,maximized_vert,maximized_horz"])
    wait_until("the window restored", lambda: not dt.is_maximized(app.win), 10)
    _, screen_height = dt.screen_size()
    wait_until(f"restored to its earlier size {client}",
               lambda: dt.geometry(app.win) == client, 10)
    sc.check(dt.frame_geometry(app.win)[3] <= screen_height,
             "restored window taller than the screen")
    app.close()


def keyboard_stays_in_grid(sc, app, when):
    """The page loads and draws after a headline opens; the keyboard must stay with the grid all
    that time."""
    end = time.monotonic() + 3 * dt.SLOW
    while time.monotonic() < end:
        if dt.active_window() != app.win or "focused" not in dt.states(app.table()):
            break
        time.sleep(0.2)
    active = dt.active_window()
    return (sc.check(active == app.win, f"{when}: the keyboard went to "
                     f"{dt.window_name(active)!r}, not the main window") and
            sc.check("focused" in dt.states(app.table()), f"{when}: the grid lost the keyboard"))


def open_by_keys(app, row):
    """Down to the next headline, Space to open it, as the grid's keys do."""
    dt.key("Down")
    wait_until(f"Down on {row['title']!r}",
               lambda: (app.current_row() or {}).get("title") == row["title"], 10)
    dt.key("space")
    return wait_until(f"{row['title']!r} open in the viewer",
                      lambda: dt.window_name(app.viewer_window() or 0) == row["title"], 20)


def sc_focus_after_open(sc, feed):
    app, items = start_seeded(sc, feed)
    wait_viewer(app)
    rows = app.rows()
    first = rows[3]
    app.raise_main()
    dt.click_at(first["rect"][0] + 20, first["rect"][1] + first["rect"][3] // 2)
    wait_until("the headline open in the viewer",
               lambda: dt.window_name(app.viewer_window() or 0) == first["title"], 20)
    keyboard_stays_in_grid(sc, app, "a click on a headline, viewer open")
    app.raise_main()
    open_by_keys(app, rows[4])
    keyboard_stays_in_grid(sc, app, "Space on a headline, viewer open")
    # With the viewer closed, opening a headline brings up a new viewer window.
    dt.close_window(app.viewer_window())
    wait_until("the viewer closed", lambda: app.viewer_window() is None, 10)
    app.raise_main()
    open_by_keys(app, rows[5])
    if keyboard_stays_in_grid(sc, app, "Space on a headline, viewer new"):
        dt.key("Down")
        wait_until("Down still walking the headlines",
                   lambda: (app.current_row() or {}).get("title") == rows[6]["title"], 10)
    app.close()


LOCKED = ("環境設定", "全て既読", "タイマー", "リロード")
# Searching only reads the headlines: it stays open during a cycle unless the options lock it.
SEARCH_CONTROLS = ("フィルタ", "検索")


def sc_reload_spans_patrol_tick(sc, _shared_feed):
    # Early in the day: a few headlines per source, enough for a page each.
    feed = Feedsim(sc.path("feedsim"), start="07:30:00", rate=1)
    sc.services.append(feed)
    gate = Gate(feed.portal)
    sc.services.append(gate)
    sc.write_settings(feed, news_host=gate.address)
    app = App(sc)
    # The patrol timer was armed before the window showed: its first tick comes before this.
    tick_passed = app.shown_at + PATROL_FIRST_TICK_S + 1.0
    gate.not_before = tick_passed + 1.0
    controls = {name: app.button(name) for name in LOCKED}
    search = {name: app.button(name) for name in SEARCH_CONTROLS}
    search["検索ボックス"] = app.search_box()
    app.press("リロード")
    wait_until("the fetch under way", lambda: not app.enabled(controls["リロード"]), 10)
    violations = {}
    search_locked = {}
    cycle_end = None
    deadline = time.monotonic() + 150 * dt.SLOW
    while time.monotonic() < deadline:
        if app.enabled(controls["リロード"]):
            cycle_end = time.monotonic()
            break
        seen = {name: time.monotonic() - app.started for name, acc in controls.items()
                if name not in violations and app.enabled(acc)}
        # The cycle gives "リロード" back first: while it is still disabled after the others were
        # read, whatever was enabled was enabled under the running cycle. Otherwise the cycle
        # ended during this pass and the pass proves nothing.
        greyed = {name: time.monotonic() - app.started for name, acc in search.items()
                  if name not in search_locked and not app.enabled(acc)}
        if not app.enabled(controls["リロード"]):
            violations.update(seen)
            search_locked.update(greyed)
        time.sleep(0.25)
    if cycle_end is None:
        raise CheckFailed("the reload did not end")
    detail(f"tick by {tick_passed - app.started:.1f}s, reload ended at "
           f"{cycle_end - app.started:.1f}s; held " + ", ".join(
               f"{r - a:.1f}" for a, r in zip(gate.arrivals, gate.releases)))
    sc.check(cycle_end > tick_passed,
             f"the reload ended {tick_passed - cycle_end:.1f}s before the patrol tick: "
             "the scenario did not test the tick")
    sc.check(not violations, "enabled during the reload: " + ", ".join(
        f"{n} at {t:.1f}s" for n, t in violations.items()))
    sc.check(not search_locked, "search locked during the reload: " + ", ".join(
        f"{n} at {t:.1f}s" for n, t in search_locked.items()))
    wait_until("every locked command enabled after the reload",
               lambda: all(app.enabled(a) for a in controls.values()), 10)

    # New headlines show their N mark until 全て既読.
    wait_until("headlines in the table", lambda: app.rows_on_screen(TITLE_COL), 10)
    app.raise_main()
    settle(sc, "N marks on the new headlines after the reload",
           lambda: len(look_cells_with(app, dt.Screenshot(), NEW_RED)), lambda n: n > 0)
    app.press("全て既読")

    def day_file_all_read():
        stored = twfiles.decode_day_file(open(sc.day_path, "rb").read())
        return stored and all(h.is_opened and not h.is_new for h in stored)
    wait_until("the day file with every headline read", day_file_all_read, 15)
    app.raise_main()
    settle(sc, "no N mark after 全て既読",
           lambda: look_cells_with(app, dt.Screenshot(), NEW_RED), lambda seen: not seen)
    app.close(60)


def sc_a11y_actions(sc, feed):
    """A screen reader runs the commands through the buttons' own actions, not the mouse."""
    app, items = start_seeded(sc, feed)
    wait_viewer(app)
    app.set_search_text("トヨタ")
    dt.do_action(app.button("検索"), "Press")
    check_marks(sc, app, items, "トヨタ")
    expected = sorted(titles_with(items, "トヨタ"))
    dt.do_action(app.button("フィルタ"), "Toggle")
    wait_until("フィルタ pressed", lambda: "checked" in dt.states(app.button("フィルタ")), 10)
    wait_until("only the rows with トヨタ visible after Toggle on フィルタ",
               lambda: sorted(app.visible_titles()) == expected, 10)
    dt.do_action(app.button("フィルタ"), "Toggle")
    wait_until("every row visible after Toggle on フィルタ again",
               lambda: len(app.visible_titles()) == len(items), 10)
    app.close()


def sc_a11y_dump(sc, feed):
    app, _ = start_seeded(sc, feed)
    wait_viewer(app)
    dialog = options_dialog(app)
    done = app.dump()
    with open(sc.path("a11y-dump.txt"), "w") as f:
        f.write(done.stdout + done.stderr)
    # Kept whatever the outcome: the list of what a screen reader finds.
    os.makedirs(RESULTS, exist_ok=True)
    shutil.copy(sc.path("a11y-dump.txt"), os.path.join(RESULTS, "a11y-dump.txt"))
    sc.check(done.returncode == 0, "unnamed controls: " + " ".join(
        line.strip() for line in done.stdout.split("without a name:")[-1].splitlines()
        if line.strip()) if "without a name" in done.stdout else
        f"a11y_dump.py failed ({done.returncode}): {done.stderr.strip()}")
    sc.check("検索ボックス" in done.stdout, "the dump shows no search box named 検索ボックス")
    app.click(dt.find(dialog, "キャンセル", dt.named("キャンセル", pyatspi.ROLE_PUSH_BUTTON)))
    wait_until("the options dialog closed", lambda: app.window_named("環境設定") is None, 10)
    app.close()

# ---- earlier days ----

def seed_yesterday(sc, feed):
    """Yesterday's day file beside today's: 12 headlines, every third about 日銀."""
    day = today() - datetime.timedelta(days=1)
    base = datetime.datetime.combine(day, datetime.time(9, 0))
    items = []
    for i in range(12):
        title = f"日銀、金融政策を据え置き 昨日その{i}" if i % 3 == 0 else f"円相場は小動き 昨日その{i}"
        items.append(twfiles.Headline(
            posted=base + datetime.timedelta(minutes=15 * (12 - i)), source="ロイター",
            category="為替", title=title, url=f"http://{feed.portal}/article/y{i}.html",
            is_opened=False, is_new=False))
    with open(os.path.join(os.path.dirname(sc.day_path), twfiles.day_file_name(day)), "wb") as f:
        f.write(twfiles.encode_day_file(items))
    return day, items


def push_button(app, window, name):
    app.click(dt.find(window, name, dt.named(name, pyatspi.ROLE_PUSH_BUTTON)))


def sc_earlier_day_round_trip(sc, feed):
    day, earlier = seed_yesterday(sc, feed)
    app, items = start_seeded(sc, feed)
    wait_viewer(app)
    app.press("過去の日付")
    calendar = wait_until("the calendar", lambda: app.window_named("過去の日付"), 15)
    # Yesterday is the day the calendar starts on.
    push_button(app, calendar, "開く")
    wait_until("yesterday's headlines in the table",
               lambda: sorted(app.visible_titles()) == sorted(h.title for h in earlier), 20)
    note = f"［{day.strftime('%Y/%m/%d')} を表示中］"
    wait_until("the caption naming the day", lambda: (app.main.name or "").startswith(note), 10)

    expected = sorted(titles_with(earlier, "日銀"))
    app.set_search_text("日銀")
    app.press("フィルタ")
    wait_until("only yesterday's 日銀 rows", lambda: sorted(app.visible_titles()) == expected, 15)

    target = os.path.join(sc.home, "昨日.csv")
    dialog = open_csv_dialog(app)
    field = wait_until("the file-name field", lambda: file_name_field(dialog), 10)
    dt.set_text(field, target)
    wait_until("the path typed", lambda: dt.text_of(field) == target, 10)
    dt.key("Return")
    box = wait_until("the export's message box", lambda: next(
        (w for w in app.top_levels() for _ in dt.find_all(
            w, lambda a: "ニュースデータを出力しました" in (a.name or ""))), None), 15)
    push_button(app, box, "OK")
    lines = open(target, "rb").read().decode("utf-8").split("\r\n")[:-1]
    sc.check(len(lines) == len(earlier), f"{len(lines)} CSV lines for yesterday's {len(earlier)}")
    sc.check(all(f',"{h.title}",' in line for line, h in zip(lines, earlier)),
             "the CSV is not yesterday's headlines in order")
    app.press("フィルタ")

    # The patrol goes on underneath: today's file grows, the table stays on yesterday.
    app.press("タイマー")
    wait_until("a patrol cycle adding to today's file",
               lambda: len(twfiles.decode_day_file(open(sc.day_path, "rb").read()))
               > len(items), 120)
    sc.check(sorted(app.visible_titles()) == sorted(h.title for h in earlier),
             "the patrol's cycle replaced the earlier day in the table")
    push_button(app, app.main, "今日に戻る")

    def today_shown():
        stored = twfiles.decode_day_file(open(sc.day_path, "rb").read())
        return sorted(app.visible_titles()) == sorted(h.title for h in stored)
    wait_until("today's table with what arrived meanwhile", today_shown, 30)
    sc.check(not (app.main.name or "").startswith("［"), f"caption still {app.main.name!r}")
    app.press("タイマー")
    app.close(60)


def sc_day_search_open_hit(sc, feed):
    day, earlier = seed_yesterday(sc, feed)
    app, items = start_seeded(sc, feed)
    wait_viewer(app)
    app.set_search_text("日銀")
    app.press("全期間検索")
    window = wait_until("the search window", lambda: app.window_named("全期間検索"), 15)
    edit = dt.find(window, "検索式", dt.named("検索式"))
    sc.check(dt.text_of(edit) == "日銀", f"the expression is {dt.text_of(edit)!r}")
    push_button(app, window, "検索")
    hits = [h for h in earlier if "日銀" in h.title]
    table = dt.find(window, "見つかったニュース", dt.named("見つかったニュース"))
    wait_until("the hits listed", lambda: table.queryTable().nRows == len(hits), 20)
    newest = table.queryTable().getAccessibleAt(0, 4)
    sc.check(newest.name == hits[0].title, f"first hit {newest.name!r}, not {hits[0].title!r}")
    # Opening the newest hit: its article is asked for.
    x, y, w, h = dt.extents(newest)
    dt.click_at(x + w // 2, y + h // 2, repeat=2)
    path = hits[0].url.split(feed.portal, 1)[1]

    def article_requested():
        stats = urllib.request.urlopen(f"http://{feed.portal}/_feedsim/stats", timeout=5).read()
        return path.encode() in stats
    wait_until(f"{path} requested by the viewer", article_requested, 30)
    app.close()


def sc_fill_day_stopped(sc, _shared_feed):
    # The disclosure list's first page never comes: the fill waits on it until it is stopped.
    feed = Feedsim(sc.path("feedsim"), extra=("--fault", "/inbs/I_list_001=hang"))
    sc.services.append(feed)
    # A day the patrol left at noon: the calendar starts on it, and it can be filled.
    day = today() - datetime.timedelta(days=2)
    path = os.path.join(os.path.dirname(sc.day_path), twfiles.day_file_name(day))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(twfiles.encode_day_file([twfiles.Headline(
            posted=datetime.datetime.combine(day, datetime.time(9, 0)), source="適時開示情報",
            category="開示", title="朝の開示", url=f"http://{feed.tdnet}/a.pdf", is_opened=True,
            is_new=False)]))
    noon = datetime.datetime.combine(day, datetime.time(12, 0)).timestamp()
    os.utime(path, (noon, noon))
    before = open(path, "rb").read()
    app, _ = start_seeded(sc, feed)
    app.press("過去の日付")
    calendar = wait_until("the calendar", lambda: app.window_named("過去の日付"), 15)
    push_button(app, calendar, "開示を取得して補う")

    def stop_button():
        return next(iter(dt.find_all(app.main, lambda a: dt.named(
            "中止", pyatspi.ROLE_PUSH_BUTTON)(a) and "showing" in dt.states(a))), None)
    stop = wait_until("中止 in the status bar", stop_button, 15)

    def list_asked():
        stats = urllib.request.urlopen(f"http://{feed.portal}/_feedsim/stats", timeout=5).read()
        return b"I_list_001" in stats
    wait_until("the day's list asked for", list_asked, 15)
    sc.check(not app.enabled(app.button("過去の日付")), "過去の日付 usable during the fill")
    app.click(stop)
    wait_until("the fill said stopped", lambda: "取得を中止しました" in app.status_message(), 15)
    sc.check(open(path, "rb").read() == before, "a stopped fill changed the day's file")
    sc.check(os.stat(path).st_mtime == noon, "a stopped fill wrote the day's file")
    sc.check(stop_button() is None, "中止 still shown after the fill stopped")
    sc.check(app.enabled(app.button("過去の日付")), "過去の日付 not back after the fill")
    app.close()


# ---- daily use: search during the patrol, a safe re-fetch, the keyboard shortcuts ----

LOCK_SEARCH = "LOCK SEARCH IN PATROL"
STORE_LOCKED = ("環境設定", "全て既読", "リロード")


def cycle_running(app):
    """リロード is greyed for exactly as long as a fetch cycle runs."""
    return not app.enabled(app.button("リロード"))


def search_controls(app):
    controls = {name: app.button(name) for name in SEARCH_CONTROLS}
    controls["検索ボックス"] = app.search_box()
    return controls


def sc_search_during_patrol(sc, feed):
    word = "ホンダ、二輪"  # only in the seeded titles, never in the simulator's
    app, items = start_seeded(sc, feed)
    expected = sorted(titles_with(items, word))
    wait_viewer(app)
    app.press("タイマー")
    wait_until("the first patrol cycle under way", lambda: cycle_running(app), 15)
    greyed = [n for n, acc in search_controls(app).items() if not app.enabled(acc)]
    sc.check(not greyed, f"greyed during the patrol cycle: {greyed}")
    enabled = [n for n in STORE_LOCKED if app.enabled(app.button(n))]
    sc.check(not enabled, f"enabled during the patrol cycle: {enabled}")
    # Search and filter while the cycle merges the lists into the store.
    app.set_search_text(word)
    app.press("検索")
    check_marks(sc, app, items, word)
    sc.check(cycle_running(app), "the cycle ended before the search was checked")
    shot("search_during_patrol.png")
    app.press("フィルタ")
    wait_until(f"only the rows with {word} during the cycle",
               lambda: sorted(app.visible_titles()) == expected, 15)
    # The table the cycle rebuilds at its end keeps the filter and the marks.
    wait_until("the patrol cycle over", lambda: not cycle_running(app), 240 * dt.SLOW)
    rows = app.table().queryTable().nRows
    sc.check(rows > len(items), f"the cycle added nothing: {rows} rows")
    visible = sorted(app.visible_titles())
    sc.check(visible == expected, f"after the cycle {len(visible)} rows visible, not the "
             f"{len(expected)} with {word}")
    app.raise_main()
    settle(sc, "the filtered rows still marked",
           lambda: [t for t, c in title_colours(app, dt.Screenshot()).items()
                    if not dt.near(c, PINK)], lambda unmarked: not unmarked)
    app.close(60)

    # The option brings the lock back: no search while the patrol runs.
    sc.write_settings(feed, options={LOCK_SEARCH: "True"})
    app = App(sc)
    wait_until("the table", lambda: len(app.visible_titles()) > len(items), 30)
    app.press("タイマー")
    wait_until("a patrol cycle under way", lambda: cycle_running(app), 15)
    enabled = [n for n, acc in search_controls(app).items() if app.enabled(acc)]
    sc.check(not enabled, f"with {LOCK_SEARCH}=True, enabled during the patrol: {enabled}")
    app.close(60)


def answer_question(app, title, yes):
    """Answers the message box with the given title by its button."""
    box = wait_until(f"the question {title!r}", lambda: app.window_named(title), 15)
    wanted = ("Yes", "はい") if yes else ("No", "いいえ")
    button = dt.find(box, f"the {wanted[0]} button", lambda a: a.getRole() ==
                     pyatspi.ROLE_PUSH_BUTTON and a.name.replace("&", "").startswith(wanted))
    app.click(button)
    wait_until("the question answered", lambda: app.window_named(title) is None, 10)


def ask_refetch(app, yes):
    dialog = options_dialog(app)
    app.click(dt.find(dialog, "the 通信 tab", dt.named("通信", pyatspi.ROLE_PAGE_TAB)))
    button = wait_until("the ニュース再取得 button", lambda: dt.find_all(dialog, lambda a: dt.named(
        "ニュース再取得", pyatspi.ROLE_PUSH_BUTTON)(a) and "showing" in dt.states(a)), 10)[0]
    app.click(button)
    answer_question(app, "ニュース再取得", yes)
    return dialog


def start_on_day_file(sc, count):
    """Starts the program on the day file there is; returns it once the start-up has written the
    file back (a new file in its place) and the bytes it holds then."""
    inode = os.stat(sc.day_path).st_ino
    app = App(sc)
    wait_until("the stored headlines", lambda: len(app.visible_titles()) == count, 30)
    wait_until("the day file written at start-up", lambda: os.stat(sc.day_path).st_ino != inode,
               15)
    return app, open(sc.day_path, "rb").read()


def sc_refetch_keeps_day(sc, feed):
    # Nothing reachable: the re-fetch fails and the day stays as it was.
    items = seed_headlines(feed)
    sc.write_settings(feed, news_host="127.0.0.1:9")
    sc.write_headlines(items)
    app, before = start_on_day_file(sc, len(items))
    titles = app.visible_titles()
    ask_refetch(app, yes=False)
    sc.check(app.window_named("環境設定") is not None, "いいえ closed the options dialog")
    app.click(dialog_control(app.window_named("環境設定"), "キャンセル", pyatspi.ROLE_PUSH_BUTTON))
    wait_until("the options dialog closed", lambda: app.window_named("環境設定") is None, 10)
    ask_refetch(app, yes=True)
    wait_until("the failed re-fetch reported",
               lambda: "以前のニュース" in app.status_message(), 120 * dt.SLOW)
    sc.check(app.visible_titles() == titles, "the table changed after a failed re-fetch")
    sc.check(open(sc.day_path, "rb").read() == before, "a failed re-fetch changed the day file")
    app.close()

    # Closed in the middle of a re-fetch: the old day file, byte for byte.
    sc.write_settings(feed)
    sc.write_headlines(items)
    app, before = start_on_day_file(sc, len(items))
    ask_refetch(app, yes=True)
    wait_until("the re-fetch under way", lambda: cycle_running(app), 15)
    time.sleep(3)
    app.close(60)
    sc.check(open(sc.day_path, "rb").read() == before, "closing during a re-fetch changed the "
             "day file")

    # A re-fetch that completes replaces the day and its read marks.
    app = App(sc)
    wait_until("the stored headlines", lambda: len(app.visible_titles()) == len(items), 30)
    ask_refetch(app, yes=True)
    wait_until("the re-fetch under way", lambda: cycle_running(app), 15)
    wait_until("the re-fetch done", lambda: not cycle_running(app), 180 * dt.SLOW)
    stored = twfiles.decode_day_file(open(sc.day_path, "rb").read())
    seeded = {h.title for h in items}
    sc.check(stored and not any(h.title in seeded for h in stored),
             "the re-fetched day file still holds the old headlines")
    sc.check(stored and not any(h.is_opened for h in stored),
             "the re-fetched day file has read marks")
    app.close()


def sc_keyboard_shortcuts(sc, feed):
    app, items = start_seeded(sc, feed)
    wait_viewer(app)
    rows = app.rows()
    app.raise_main()
    # Enter on a row opens its headline, whichever cell the cursor is on: a click on the day
    # column puts the cursor there and opens nothing.
    x, y, w, h = app.cell_rect(rows[2]["row"], 1)
    dt.click_at(x + w // 2, y + h // 2)
    wait_until("the keyboard in the grid", lambda: "focused" in dt.states(app.table()), 10)
    time.sleep(1)  # the click's own (empty) open runs after a short wait
    dt.key("Return")
    wait_until(f"{rows[2]['title']!r} open in the viewer",
               lambda: dt.window_name(app.viewer_window() or 0) == rows[2]["title"], 20)
    app.raise_main()
    dt.key("ctrl+f")
    wait_until("Ctrl+F: the keyboard in the search box",
               lambda: "focused" in dt.states(app.search_edit()), 10)
    dt.key("t", "e", "s", "t")
    wait_until("typed into the box", lambda: app.search_text().endswith("test"), 10)
    dt.key("Escape")
    wait_until("Esc: the search box empty", lambda: app.search_text() == "", 10)
    dt.key("ctrl+comma")
    dialog = wait_until("Ctrl+,: the options dialog", lambda: app.window_named("環境設定"), 15)
    app.click(dt.find(dialog, "キャンセル", dt.named("キャンセル", pyatspi.ROLE_PUSH_BUTTON)))
    wait_until("the options dialog closed", lambda: app.window_named("環境設定") is None, 10)
    app.raise_main()
    dt.key("F5")
    wait_until("F5: a fetch under way", lambda: cycle_running(app), 15)
    for name, tip in (("リロード", "F5"), ("環境設定", "Ctrl+,")):
        desc = app.button(name).description
        sc.check(tip in desc, f"{name}'s description {desc!r} does not name {tip}")
    sc.check("Ctrl+F" in app.search_edit().description, "the search box does not name Ctrl+F")
    # Ctrl+Q ends the program as the close box does, saving the window's settings.
    ini_before = open(sc.ini_path, "rb").read()
    app.raise_main()
    dt.key("ctrl+q")
    try:
        app.proc.wait(60 * dt.SLOW)
    except subprocess.TimeoutExpired:
        raise CheckFailed("Ctrl+Q did not end the program")
    sc.check(open(sc.ini_path, "rb").read() != ini_before, "Ctrl+Q saved no settings")


EMPTY_HINT = "リロード で今日のニュースを取得します"
SHOTS = os.environ.get("TW_BLACKBOX_SHOTS")  # a folder for the screenshots of the user's day


def shot(name):
    """Keeps a picture of the screen for whoever reviews the change, when asked for."""
    if SHOTS:
        os.makedirs(SHOTS, exist_ok=True)
        dt.save_screenshot(os.path.join(SHOTS, name))


def message_panel(app):
    bar = dt.find(app.main, "status bar", lambda a: a.getRole() == pyatspi.ROLE_STATUS_BAR)
    return dt.find(bar, "the メッセージ panel", lambda a: a.name == "メッセージ")


def column_headers(app):
    """The header cells the table shows; with no row there is no cell to ask for its header, so
    they are looked for among the table's children."""
    return [a.name.strip() for a in dt.children(app.table())
            if a.getRoleName() in ("column header", "table column header")
            and "showing" in dt.states(a)]


def sc_first_start(sc, feed):
    """A new user's first start: the version page in the program's own viewer even with an
    external browser set, an empty table that says what to do, and no version page on the next
    start of the same version."""
    started = sc.path("browser-started")
    browser = sc.path("browser.sh")
    with open(browser, "w") as f:
        f.write(f"#!/bin/sh\necho \"$@\" >> '{started}'\n")
    os.chmod(browser, 0o755)
    sc.write_settings(feed, options={"BROWSER": browser})
    app = App(sc)
    wait_viewer(app)
    wait_until("the empty table's hint",
               lambda: dt.no_cache(app.table()).description == EMPTY_HINT, 15)
    sc.check("見出し" in column_headers(app),
             f"the empty table shows no column headers: {column_headers(app)}")
    app.raise_main()
    time.sleep(1)
    shot("first_start.png")
    sc.check(not os.path.exists(started),
             "the bundled version page went to the external browser: " +
             (open(started).read().strip() if os.path.exists(started) else ""))
    app.close()
    ini = twfiles.Ini(sc.ini_path)
    seen = ini.get("OPTION", "LAST VERSION") or ""
    sc.check(seen.count(".") == 2, f"LAST VERSION={seen!r} after the first start")
    sc.check((ini.get("OPTION", "SHOW VERSION AT START") or "").lower() == "false",
             "SHOW VERSION AT START not written as False")

    # The same version again: straight to work.
    app = App(sc)
    wait_until("the empty table's hint again",
               lambda: dt.no_cache(app.table()).description == EMPTY_HINT, 15)
    end = time.monotonic() + 8 * dt.SLOW
    while time.monotonic() < end and app.viewer_window() is None:
        time.sleep(0.2)
    sc.check(app.viewer_window() is None, "the version page opened again on the same version")
    app.close()

    # Asked for at every start, it comes back.
    sections = twfiles.Ini(sc.ini_path).sections
    sections["OPTION"]["SHOW VERSION AT START"] = "True"
    twfiles.write_ini(sc.ini_path, sections)
    app = App(sc)
    wait_viewer(app)
    sc.check(not os.path.exists(started), "the version page went to the external browser")
    app.close()


def sc_failed_fetch(sc, feed):
    """Every source refuses: the status bar says how many and why, its tip names each source,
    and the empty table keeps its headers and hint."""
    # Nothing listens on port 1 of the loopback: a refused connection, at once.
    sc.write_settings(feed, news_host="127.0.0.1:1")
    app = App(sc)
    wait_viewer(app)
    app.press("リロード")
    expected = "26 件中 26 件の取得に失敗しました（接続できません）"
    wait_until(f"{expected} in the status bar", lambda: app.status_message() == expected, 150)
    tip = dt.no_cache(message_panel(app)).description or ""
    lines = tip.split("\n")
    sc.check(len(lines) == 26 and all(line.endswith("：接続できません") for line in lines),
             f"the panel's tip: {tip!r}")
    sc.check(dt.no_cache(app.table()).description == EMPTY_HINT,
             "the empty table lost its hint after the failed fetch")
    sc.check("見出し" in column_headers(app), "the table lost its column headers")
    app.raise_main()
    time.sleep(1)
    shot("failed_fetch.png")
    app.close()


def tray_menu_entry(app, icon, name, run=True):
    """Right click on the tray icon, then down the menu with the keyboard to the entry of that
    name, as a screen-reader user goes; Return runs it, else Escape closes the menu. Returns the
    entries passed on the way and the states of the one chosen."""
    tracker = dt.FocusTracker()
    try:
        x, y, w, h = dt.geometry(icon)
        seen = []
        for attempt in range(12):
            # A menu just closed may swallow the next click: open it again when nothing moved.
            if attempt % 4 == 0 and not seen:
                time.sleep(0.5)
                dt.click_at(x + w // 2, y + h // 2, button=3)
            dt.key("Down")
            try:
                acc = wait_until("the focus on a tray menu entry", lambda: (
                    tracker.focused() if tracker.focused() is not None and
                    (not seen or tracker.focused().name != seen[-1]) else None), 2)
            except CheckFailed:
                continue
            seen.append(acc.name)
            if acc.name == name:
                states = dt.states(acc)
                dt.key("Return" if run else "Escape")
                return seen, states
        raise CheckFailed(f"no tray menu entry {name!r} among {seen}")
    finally:
        tracker.stop()


def sc_tray_menu(sc, feed):
    """On a desktop whose tray passes no click on, the icon's menu is the way back: 表示,
    タイマー (checked while the patrol runs), 終了 (saved like a close)."""
    app, _ = start_seeded(sc, feed)
    wait_viewer(app)
    app.raise_main()
    frame = dt.frame_geometry(app.win)
    app.press("タスクトレイ")
    wait_until("the main window hidden", lambda: not dt.is_mapped(app.win), 10)
    icon = wait_until("the tray icon", app.tray_icon_window, 10)

    seen, states = tray_menu_entry(app, icon, "終了", run=False)
    sc.check(seen == ["表示", "タイマー", "リロード", "終了"], f"the tray menu holds {seen}")
    _, states = tray_menu_entry(app, icon, "タイマー", run=False)
    sc.check("checked" not in states, "タイマー checked before the patrol started")
    tray_menu_entry(app, icon, "タイマー")
    wait_until("タイマー checked in the tray menu", lambda: "checked" in tray_menu_entry(
        app, icon, "タイマー", run=False)[1], 15)
    tray_menu_entry(app, icon, "表示")
    wait_until("the main window back from the tray", lambda: dt.is_mapped(app.win), 10)
    wait_until("タイマー pressed in the window",
               lambda: "checked" in dt.states(app.button("タイマー")), 10)
    sc.check(dt.frame_geometry(app.win) == frame,
             f"window back at {dt.frame_geometry(app.win)}, was {frame}")

    app.press("タスクトレイ")
    wait_until("the main window hidden again", lambda: not dt.is_mapped(app.win), 10)
    icon = wait_until("the tray icon", app.tray_icon_window, 10)
    tray_menu_entry(app, icon, "終了")
    try:
        app.proc.wait(60 * dt.SLOW)
    except subprocess.TimeoutExpired:
        raise CheckFailed("the program did not end after 終了 in the tray menu")
    ini = twfiles.Ini(sc.ini_path)
    saved = tuple(int(ini.get("FORM MAIN", k, "-1")) for k in ("LEFT", "TOP", "WIDTH", "HEIGHT"))
    sc.check(saved == tuple(v * TWIPS for v in frame),
             f"after 終了: SYSTEM.INI FORM MAIN {saved}, the window's frame was {frame} pixels")


SCENARIOS = [
    ("first_start", sc_first_start),
    ("failed_fetch", sc_failed_fetch),
    ("tray_menu", sc_tray_menu),
    ("search_marks", sc_search_marks),
    ("options_ok_cancel", sc_options_ok_cancel),
    ("all_read_and_csv", sc_all_read_and_csv),
    ("restart_restores", sc_restart_restores),
    ("filter_round_trip", sc_filter_round_trip),
    ("search_enter", sc_search_enter),
    ("tray_and_viewer", sc_tray_and_viewer),
    ("csv_dialog_start", sc_csv_dialog_start),
    ("restart_placement", sc_restart_placement),
    ("focus_after_open", sc_focus_after_open),
    ("reload_spans_patrol_tick", sc_reload_spans_patrol_tick),
    ("a11y_actions", sc_a11y_actions),
    ("a11y_dump", sc_a11y_dump),
    ("search_during_patrol", sc_search_during_patrol),
    ("refetch_keeps_day", sc_refetch_keeps_day),
    ("keyboard_shortcuts", sc_keyboard_shortcuts),
    ("earlier_day_round_trip", sc_earlier_day_round_trip),
    ("day_search_open_hit", sc_day_search_open_hit),
    ("fill_day_stopped", sc_fill_day_stopped),
]


def keep_results(sc, error):
    folder = os.path.join(RESULTS, sc.name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    dt.save_screenshot(os.path.join(folder, "screen.png"))
    for app in sc.apps:
        if app.running():
            try:
                done = app.dump()
                with open(os.path.join(folder, f"a11y-{app.number}.txt"), "w") as f:
                    f.write(done.stdout + done.stderr)
            except Exception:
                pass
    for name in os.listdir(sc.dir):
        src = os.path.join(sc.dir, name)
        if os.path.isfile(src):
            shutil.copy(src, folder)
    if os.path.isdir(sc.tw):
        shutil.copytree(sc.tw, os.path.join(folder, "Tickerwisp"),
                        ignore=shutil.ignore_patterns("NewsWord"))
    with open(os.path.join(folder, "failure.txt"), "w") as f:
        f.write(error)
    return folder


# Rough seconds a scenario takes, for sharing the suite between runs at once (--shard); the
# scenarios that wait on whole fetch cycles. The rest take a few seconds each.
DURATIONS = {
    "search_during_patrol": 120, "refetch_keeps_day": 110, "earlier_day_round_trip": 105,
    "reload_spans_patrol_tick": 75, "failed_fetch": 55,
}


def shard(scenarios, k, n):
    """Shard k of n (1-based): the longest scenario first, each to the shard with the least to do,
    so that n runs at once end at about the same time."""
    load = [0] * n
    mine = set()
    for name, _ in sorted(scenarios, key=lambda s: -DURATIONS.get(s[0], 8)):
        i = load.index(min(load))
        load[i] += DURATIONS.get(name, 8)
        if i == k - 1:
            mine.add(name)
    return [s for s in scenarios if s[0] in mine]


def main(argv):
    if argv[:1] == ["--list"]:
        for name, _ in SCENARIOS:
            print(name)
        return 0
    part = None
    if argv[:1] == ["--shard"] and len(argv) >= 2:
        k, _, n = argv[1].partition("/")
        if not (k.isdigit() and n.isdigit() and 1 <= int(k) <= int(n)):
            log(f"--shard wants K/N with 1 <= K <= N, not {argv[1]!r}")
            return 2
        part = (int(k), int(n))
        argv = argv[2:]
    chosen = [s for s in SCENARIOS if not argv or s[0] in argv]
    if part:
        chosen = shard(chosen, *part)
    unknown = set(argv) - {s[0] for s in SCENARIOS}
    if unknown:
        log(f"unknown scenario(s): {' '.join(sorted(unknown))}")
        return 2
    # A TERM (the runner's, CTest's time-out) ends the programs and servers we started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    shared = Feedsim(os.path.join(WORK, "feedsim"))
    results = []
    began = time.monotonic()
    try:
        for name, fn in chosen:
            sc = Scenario(name)
            # What an earlier run left for this scenario would mislead.
            shutil.rmtree(os.path.join(RESULTS, name), ignore_errors=True)
            log(f"--- {name}")
            start = time.monotonic()
            error = ""
            where = ""
            try:
                try:
                    fn(sc, shared)
                except CheckFailed as e:
                    error = str(e)
                except Exception:
                    error = traceback.format_exc()
                if sc.failures:
                    error = "\n".join(sc.failures + ([error] if error else []))
                if error:
                    try:
                        where = keep_results(sc, error)
                    except Exception as e:
                        where = f"(results not kept: {e})"
            finally:
                for app in sc.apps:
                    app.kill()
                for service in sc.services:
                    service.stop()
            seconds = time.monotonic() - start
            if error:
                log(f"FAIL {name} ({seconds:.0f}s): {error.strip()}")
                log(f"     screenshot and logs: {where}")
            else:
                log(f"PASS {name} ({seconds:.0f}s)")
            results.append((name, not error, seconds))
    finally:
        shared.stop()
    failed = [n for n, ok, _ in results if not ok]
    log(f"{len(results) - len(failed)} of {len(results)} scenarios passed in "
        f"{time.monotonic() - began:.0f}s" + (f"; failed: {' '.join(failed)}" if failed else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
