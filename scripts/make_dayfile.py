#!/usr/bin/env python3
"""Writes a day file of N synthetic headlines (newest first) for start-up and memory figures.

usage: make_dayfile.py PATH COUNT [yyyymmdd]
"""
import datetime
import struct
import sys

SOURCES = ["ロイター", "ブルームバーグ", "時事通信社", "適時開示情報", "フィスコ", "東洋経済"]


def text(value: str) -> bytes:
    raw = value.encode("utf-8")
    return struct.pack("<H", len(raw)) + raw


def ole(moment: datetime.datetime) -> float:
    delta = moment - datetime.datetime(1899, 12, 30)
    return delta.days + delta.seconds / 86400.0


def main() -> None:
    path, count = sys.argv[1], int(sys.argv[2])
    day = datetime.datetime.strptime(sys.argv[3], "%Y%m%d") if len(sys.argv) > 3 else \
        datetime.datetime.combine(datetime.date.today(), datetime.time())
    out = bytearray(struct.pack("<i", count))
    for i in range(count):
        # newest first: one headline every few seconds back from 23:59
        moment = day + datetime.timedelta(hours=23, minutes=59) - datetime.timedelta(seconds=8 * i)
        source = SOURCES[i % len(SOURCES)]
        category = f"銘柄{i % 997:04d}(東証:{1300 + i % 8000}0)" if source == "適時開示情報" else "市況"
        out += struct.pack("<d", ole(moment))
        out += text(source) + text(category)
        out += text(f"見出し {i}：日経平均は小幅に続伸、半導体関連が相場をけん引")
        out += text(f"http://127.0.0.1:1/article/{i}.html")
        out += struct.pack("<i", 1300 + i % 8000 if source == "適時開示情報" else 0)
        out += text("") + text("")
        out += struct.pack("<hh", -1 if i % 50 == 0 else 0, 0)
        out += text("再" if i % 40 == 0 else "")
        out += struct.pack("<hh", -1 if i % 3 == 0 else 0, 0)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
