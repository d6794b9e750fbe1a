"""The program's files as the suite writes and reads them: SYSTEM.INI, the search history, day
files, CSV."""
import datetime
import os
import struct
from dataclasses import dataclass, field


def write_text(path: str, lines) -> None:
    """A text file the way the program writes them: UTF-8 without BOM, CR LF."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("utf-8"))


def read_lines(path: str):
    with open(path, "rb") as f:
        text = f.read().decode("utf-8-sig")
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    return lines


class Ini:
    """Sections and keys compared case-insensitively, first of duplicate keys wins."""

    def __init__(self, path: str):
        self.sections = {}
        if not os.path.exists(path):
            return
        section = None
        for line in read_lines(path):
            s = line.strip()
            if s.startswith(";") or not s:
                continue
            if s.startswith("[") and s.endswith("]"):
                section = self.sections.setdefault(s[1:-1].strip().upper(), {})
                continue
            if section is not None and "=" in s:
                key, value = s.split("=", 1)
                value = value.strip()
                if len(value) >= 2 and value[0] == value[-1] == '"':
                    value = value[1:-1]
                section.setdefault(key.strip().upper(), value)

    def get(self, section: str, key: str, default=None):
        return self.sections.get(section.upper(), {}).get(key.upper(), default)

    def section(self, name: str):
        return dict(self.sections.get(name.upper(), {}))


def write_ini(path: str, sections: dict) -> None:
    lines = []
    for name, keys in sections.items():
        lines.append(f"[{name}]")
        lines += [f"{k}={v}" for k, v in keys.items()]
    write_text(path, lines)


# ---- day file ----

EPOCH = datetime.datetime(1899, 12, 30)


def to_ole(moment: datetime.datetime) -> float:
    delta = moment - EPOCH
    return delta.days + (delta.seconds + delta.microseconds / 1e6) / 86400.0


@dataclass
class Headline:
    posted: datetime.datetime
    source: str
    category: str
    title: str
    url: str
    stock_code: int = 0
    is_vip: bool = False
    mark: str = ""
    is_opened: bool = False
    is_new: bool = False
    extra: dict = field(default_factory=dict)


def _text(value: str) -> bytes:
    raw = value.encode("utf-8")
    return struct.pack("<H", len(raw)) + raw


def _flag(value: bool) -> bytes:
    return struct.pack("<h", -1 if value else 0)


def encode_day_file(items) -> bytes:
    """items newest first, as the store keeps them."""
    out = bytearray(struct.pack("<i", len(items)))
    for h in items:
        out += struct.pack("<d", to_ole(h.posted))
        out += _text(h.source) + _text(h.category) + _text(h.title) + _text(h.url)
        out += struct.pack("<i", h.stock_code)
        out += _text("") + _text("")
        out += _flag(h.is_vip) + _flag(False)
        out += _text(h.mark)
        out += _flag(h.is_opened) + _flag(h.is_new)
    return bytes(out)


def decode_day_file(data: bytes):
    """The records newest first; raises ValueError on bytes that are not a whole file."""
    pos = 0

    def take(n):
        nonlocal pos
        if pos + n > len(data):
            raise ValueError("day file ends inside a record")
        chunk = data[pos:pos + n]
        pos += n
        return chunk

    def text():
        (length,) = struct.unpack("<H", take(2))
        return take(length).decode("utf-8")

    def flag():
        return struct.unpack("<h", take(2))[0] != 0

    (count,) = struct.unpack("<i", take(4))
    items = []
    for _ in range(count):
        (ole,) = struct.unpack("<d", take(8))
        source, category, title, url = text(), text(), text(), text()
        (code,) = struct.unpack("<i", take(4))
        text(), text()
        vip = flag()
        flag()
        mark = text()
        opened, new = flag(), flag()
        items.append(Headline(EPOCH + datetime.timedelta(days=ole), source, category, title, url,
                              code, vip, mark, opened, new))
    if pos != len(data):
        raise ValueError("bytes after the last record")
    return items


def day_file_name(day: datetime.date) -> str:
    return day.strftime("%Y%m%d") + ".DAT"
