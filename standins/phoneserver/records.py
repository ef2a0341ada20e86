"""The record text form of settings files and remote-call parameter blocks.

A record is an ordered list of (name, value) pairs plus an optional handle and key.  Values are
bytes (code page 1252 text); a value of None is a NULL value, written as "<NULL>" by the C++ side
only when printed, so here it is written as an empty value.  Binary values are written in base64
between "={{" and "}}".  Names are kept in case-insensitive order, ties in order of arrival.
"""

import base64

_LETTER_ESCAPES = {0x00: b"\\0", 0x09: b"\\t", 0x0A: b"\\n", 0x0D: b"\\r", 0x1A: b"\\z", 0x5C: b"\\\\"}
_HEX = "0123456789abcdefABCDEF"
_UNESCAPES = {ord('"'): 0x22, ord("'"): 0x27, ord("0"): 0x00, ord("\\"): 0x5C, ord("n"): 0x0A,
              ord("r"): 0x0D, ord("t"): 0x09, ord("z"): 0x1A}


class Record:
    def __init__(self, items=None, handle=0, key=None):
        self.items = []          # [(name bytes, value bytes, binary flag)]
        self.handle = handle
        self.key = key
        for name, value in (items or []):
            self.set(name, value)

    @staticmethod
    def _b(v):
        if isinstance(v, str):
            return v.encode("cp1252")
        return v

    def _index(self, name):
        lname = name.lower()
        for i, (n, _, _) in enumerate(self.items):
            ln = n.lower()
            if ln == lname:
                return i, True
            if ln > lname:
                return i, False
        return len(self.items), False

    def set(self, name, value, binary=False):
        name, value = self._b(name), self._b(value)
        i, found = self._index(name)
        if found:
            self.items[i] = (self.items[i][0], value, binary)
        else:
            self.items.insert(i, (name, value, binary))

    def get(self, name, default=None):
        i, found = self._index(self._b(name))
        return self.items[i][1] if found else default

    def __getitem__(self, name):
        v = self.get(name)
        if v is None:
            raise KeyError(name)
        return v

    def __contains__(self, name):
        return self._index(self._b(name))[1]

    def as_dict(self):
        return {n.decode("cp1252"): (v.decode("cp1252") if v is not None else None) for n, v, _ in self.items}

    def __repr__(self):
        return "Record(%r, handle=%r, key=%r)" % (self.items, self.handle, self.key)


def escape(value, extra=b"={}"):
    out = bytearray()
    for c in value:
        if c in _LETTER_ESCAPES:
            out += _LETTER_ESCAPES[c]
        elif c < 0x20 or c >= 0x80 or c in extra:
            out += b"\\x%02x" % c
        else:
            out.append(c)
    return bytes(out)


def unescape(raw):
    out = bytearray()
    i = 0
    while i < len(raw):
        c = raw[i]
        if c != 0x5C:
            out.append(c)
            i += 1
            continue
        if i + 1 >= len(raw):
            out.append(c)
            break
        e = raw[i + 1]
        if e in _UNESCAPES:
            out.append(_UNESCAPES[e])
            i += 2
        elif e == ord("x") and i + 4 <= len(raw) and all(chr(x) in _HEX for x in raw[i + 2:i + 4]):
            out.append(int(raw[i + 2:i + 4], 16))
            i += 4
        else:   # unknown escape: keep the escaped byte without the backslash
            out.append(e)
            i += 2
    return bytes(out)


def record_to_text(rec):
    lines = []
    if rec.handle:
        lines.append(b"#Handle=%d" % rec.handle)
    if rec.key is not None:
        lines.append(b"#Key=" + escape(Record._b(rec.key)))
    for name, value, binary in rec.items:
        value = value if value is not None else b""
        if binary:
            lines.append(name + b"=={{" + base64.b64encode(value) + b"}}")
        else:
            lines.append(name + b"=" + escape(value))
    return b"".join(l + b"\n" for l in lines)


def text_to_record(text):
    rec = Record()
    appended = []
    for line in text.split(b"\n"):
        line = line.rstrip(b"\r")
        if not line or line.startswith(b"//"):
            continue
        low = line.lower()
        if line.startswith(b"#") and not (low.startswith(b"#handle=") or low.startswith(b"#key=")):
            continue
        if b"=" not in line:
            continue
        name, raw = line.split(b"=", 1)
        binary = raw.startswith(b"={{") and raw.endswith(b"}}")
        if binary:
            value = base64.b64decode(raw[3:-2])
        else:
            value = unescape(raw)
        if name.lower() == b"#handle":
            try:
                rec.handle = int(value.split()[0]) if value.strip() else 0
            except ValueError:
                rec.handle = 0
        elif name.lower() == b"#key":
            rec.key = value
        else:
            appended.append((name, value, binary))
    # stable sort by the case-insensitive name
    appended.sort(key=lambda t: t[0].lower())
    rec.items = appended
    return rec


def list_to_text(records):
    return b"".join(b"[#%d]\n" % i + record_to_text(r) + b"\n" for i, r in enumerate(records))


def text_to_list(text):
    """Reads a record list; sections go to the index their header names, in order of appearance."""
    records = []
    section = []
    started = False
    for line in text.split(b"\n"):
        if line.startswith(b"[#"):
            if started or section:
                records.append(text_to_record(b"\n".join(section)))
            section = []
            started = True
        else:
            section.append(line)
    rest = b"\n".join(section)
    if rest.strip(b"\r\n"):
        records.append(text_to_record(rest))
    return records
