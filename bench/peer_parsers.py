#!/usr/bin/env python3
"""The same extraction as our list parsers, done with BeautifulSoup (html.parser) and with
lxml on the same bytes: per headline the address, title and time text; per disclosure row its
cells (in the current layout found by the role name in their class). Prints one
"name: value unit" line per figure. Rates are per second of process CPU time, so other work on
the machine does not skew the comparison. Exit 3 when a module is missing.

usage: peer_parsers.py PORTAL_PAGE TDNET_PAGE [SECONDS [NAME=PAGE_OF_THE_CURRENT_LAYOUT]...]"""

import sys
import time

try:
    from bs4 import BeautifulSoup
    import lxml.html
except ImportError as e:
    print(f"missing module: {e.name}", file=sys.stderr)
    sys.exit(3)

NBSP = "\xa0"


def portal_bs4(data):
    soup = BeautifulSoup(data, "html.parser", from_encoding="cp932")
    out = []
    for ul in soup.find_all("ul", class_="ymuiHeadline"):
        a = ul.find("li", class_="yjMt").find("a")
        when = ul.find("li", class_="yjSt").get_text()
        out.append((a.get("href"), a.get_text(), when.split(NBSP)[0].strip()))
    return out


def portal_lxml(data):
    doc = lxml.html.fromstring(data, parser=lxml.html.HTMLParser(encoding="cp932"))
    out = []
    for ul in doc.iterfind('.//ul[@class="ymuiHeadline"]'):
        a = ul.find('li[@class="yjMt ymuiArrow1L"]/a')
        when = ul.find('li[@class="yjSt marB2 ymuiDate padL10"]').text_content()
        out.append((a.get("href"), a.text_content(), when.split(NBSP)[0].strip()))
    return out


def link_and_text(cell, find):
    a = find(cell)
    return (a.get("href"), a.text if hasattr(a, "text") else a.get_text()) if a is not None else ("", "")


def tdnet_bs4(data):
    soup = BeautifulSoup(data, "html.parser", from_encoding="cp932")
    out = []
    for tr in soup.find("table", class_="list").find_all("tr"):
        tds = tr.find_all("td", recursive=False)
        if len(tds) < 7 or "del" in tds[0].get("class", []):
            continue
        title = tds[3].find("a")
        out.append((tds[0].get_text().strip(), tds[1].get_text().strip(), tds[2].get_text().strip(),
                    title.get("href"), title.get_text().strip(),
                    link_and_text(tds[4], lambda c: c.find("a")), link_and_text(tds[5], lambda c: c.find("a")),
                    tds[6].get_text().strip()))
    return out


def tdnet_lxml(data):
    doc = lxml.html.fromstring(data, parser=lxml.html.HTMLParser(encoding="cp932"))
    out = []
    for tr in doc.find('.//table[@class="list"]').iterfind(".//tr"):
        tds = tr.findall("td")
        if len(tds) < 7 or "del" in tds[0].get("class", "").split():
            continue
        title = tds[3].find("a")
        out.append((tds[0].text_content().strip(), tds[1].text_content().strip(),
                    tds[2].text_content().strip(), title.get("href"), title.text_content().strip(),
                    link_and_text(tds[4], lambda c: c.find("a")), link_and_text(tds[5], lambda c: c.find("a")),
                    tds[6].text_content().strip()))
    return out


ROLES = ("kjTime", "kjCode", "kjName", "kjTitle", "kjXbrl", "kjPlace")
PADDING = " \t\r\n\u3000\xa0"


def today_row(cells, find_link, text):
    """One disclosure from the cells by role, or None for a row without a time or a link."""
    if "kjTime" not in cells or "kjTitle" not in cells:
        return None
    title = find_link(cells["kjTitle"])
    time = text(cells["kjTime"]).strip(PADDING)
    if title is None or not time:
        return None
    xbrl = find_link(cells["kjXbrl"]) if "kjXbrl" in cells else None
    field = lambda role: text(cells[role]).replace("\n", "").strip(PADDING) if role in cells else ""
    return (time, field("kjCode").upper(), field("kjName"), title.get("href"),
            text(title).replace("\n", "").strip(PADDING), xbrl.get("href") if xbrl is not None else "",
            field("kjPlace"))


def today_bs4(data):
    soup = BeautifulSoup(data, "html.parser", from_encoding="cp932")
    out = []
    for tr in soup.find("table", id="main-list-table").find_all("tr"):
        cells = {}
        for td in tr.find_all("td", recursive=False):
            for name in td.get("class", []):
                if name in ROLES:
                    cells.setdefault(name, td)
        row = today_row(cells, lambda c: c.find("a", href=True), lambda e: e.get_text())
        if row:
            out.append(row)
    return out


def today_lxml(data):
    doc = lxml.html.fromstring(data, parser=lxml.html.HTMLParser(encoding="cp932"))
    out = []
    for tr in doc.get_element_by_id("main-list-table").iterfind(".//tr"):
        cells = {}
        for td in tr.findall("td"):
            for name in td.get("class", "").split():
                if name in ROLES:
                    cells.setdefault(name, td)
        row = today_row(cells, lambda c: c.find(".//a[@href]"), lambda e: e.text_content())
        if row:
            out.append(row)
    return out


def measure(name, unit, func, data, seconds):
    count = len(func(data))
    runs, start = 0, time.process_time()
    while True:
        func(data)
        runs += 1
        elapsed = time.process_time() - start
        if elapsed >= seconds:
            break
    print(f"{name}_per_s: {count * runs / elapsed:.1f} {unit}/s")
    print(f"{name}_mb_per_s: {len(data) * runs / elapsed / 1e6:.3f} MB/s")
    print(f"{name}_items: {count} {unit}")


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    portal = open(sys.argv[1], "rb").read()
    tdnet = open(sys.argv[2], "rb").read()
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 2.0
    measure("bs4_portal", "headlines", portal_bs4, portal, seconds)
    measure("lxml_portal", "headlines", portal_lxml, portal, seconds)
    measure("bs4_tdnet", "rows", tdnet_bs4, tdnet, seconds)
    measure("lxml_tdnet", "rows", tdnet_lxml, tdnet, seconds)
    for named in sys.argv[4:]:
        name, path = named.split("=", 1)
        page = open(path, "rb").read()
        measure(f"bs4_{name}", "rows", today_bs4, page, seconds)
        measure(f"lxml_{name}", "rows", today_lxml, page, seconds)
    return 0


if __name__ == "__main__":
    sys.exit(main())
