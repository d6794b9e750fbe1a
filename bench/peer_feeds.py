#!/usr/bin/env python3
"""The same feeds read by Python's feedparser: per entry the title, link, date, first category
and id. Prints one "name: value unit" line per figure, rates per second of process CPU time as
bench_feeds measures its own. Exit 3 when feedparser is missing.

usage: peer_feeds.py SECONDS NAME=FEED_FILE..."""

import sys
import time

try:
    import feedparser
except ImportError as e:
    print(f"missing module: {e.name}", file=sys.stderr)
    sys.exit(3)


def read(data):
    out = []
    for e in feedparser.parse(data).entries:
        tags = e.get("tags") or [{}]
        out.append((e.get("title", ""), e.get("link", ""), e.get("published_parsed") or e.get("updated_parsed"),
                    tags[0].get("term", ""), e.get("id", "")))
    return out


def measure(name, data, seconds):
    count = len(read(data))
    runs, start = 0, time.process_time()
    while True:
        read(data)
        runs += 1
        elapsed = time.process_time() - start
        if elapsed >= seconds:
            break
    print(f"feedparser_{name}_per_s: {count * runs / elapsed:.1f} items/s")
    print(f"feedparser_{name}_items: {count} items")


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    seconds = float(sys.argv[1])
    for named in sys.argv[2:]:
        name, path = named.split("=", 1)
        measure(name, open(path, "rb").read(), seconds)
    return 0


if __name__ == "__main__":
    sys.exit(main())
