#!/usr/bin/env python3
"""The same extraction as our two list parsers, done with BeautifulSoup (html.parser) and with
lxml on the same bytes: per headline the address, title and time text; per disclosure row its
cells. Prints one "name: value unit" line per figure. Rates are per second of process CPU
time, so other work on the machine does not skew the comparison. Exit 3 when a module is missing.

usage: peer_parsers.py PORTAL_PAGE TDNET_PAGE [SECONDS]"""

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
    for tr in soup.find("table", id="main-list-table").find_all("tr"):
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
    for tr in doc.get_element_by_id("main-list-table").iterfind(".//tr"):
        tds = tr.findall("td")
        if len(tds) < 7 or "del" in tds[0].get("class", "").split():
            continue
        title = tds[3].find("a")
        out.append((tds[0].text_content().strip(), tds[1].text_content().strip(),
                    tds[2].text_content().strip(), title.get("href"), title.text_content().strip(),
                    link_and_text(tds[4], lambda c: c.find("a")), link_and_text(tds[5], lambda c: c.find("a")),
                    tds[6].text_content().strip()))
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
    return 0


if __name__ == "__main__":
    sys.exit(main())
