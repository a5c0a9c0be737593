"""Reader of the engine's layout descriptions (engine/**/*_layout.txt).

A description line is a name and its values, decimal or 0x hex; a name may
repeat (rows of a table). A record is a line of name:type fields, the types
being the little-endian u8 i8 u16 i16 u32. The builders take every format
number from these files so that the engine's tests can hold the readers to
the same numbers.
"""

import os
import struct

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

_TYPES = {"u8": "B", "i8": "b", "u16": "H", "i16": "h", "u32": "I"}


class Record:
    """Fields of a record in order, with the struct format that packs them."""

    def __init__(self, name, fields):
        self.name = name
        self.fields = [f for f, _ in fields]
        self.format = "<" + "".join(_TYPES[t] for _, t in fields)
        self.size = struct.calcsize(self.format)

    def pack(self, *values):
        return struct.pack(self.format, *values)

    def offset(self, field):
        """Byte offset of a field inside the record."""
        i = self.fields.index(field)
        return struct.calcsize("<" + self.format[1:1 + i])


class Layout:
    def __init__(self, text, name="<layout>"):
        self._rows = {}
        for lineno, raw in enumerate(text.splitlines(), 1):
            tokens = raw.split("#", 1)[0].split()
            if not tokens:
                continue
            self._rows.setdefault(tokens[0], []).append((tokens[1:], "%s:%d" % (name, lineno)))

    @classmethod
    def load(cls, relative):
        """The description at a path relative to the repository root."""
        path = os.path.join(ROOT, relative)
        with open(path, encoding="utf-8") as f:
            return cls(f.read(), relative)

    def _only(self, name):
        rows = self._rows.get(name)
        if rows is None:
            raise KeyError("layout: %s is not described" % name)
        if len(rows) != 1:
            raise ValueError("%s: %s is described %d times" % (rows[1][1], name, len(rows)))
        return rows[0]

    def values(self, name):
        tokens, where = self._only(name)
        try:
            return [int(t, 0) for t in tokens]
        except ValueError:
            raise ValueError("%s: %s holds a value that is no number" % (where, name)) from None

    def value(self, name):
        v = self.values(name)
        if len(v) != 1:
            raise ValueError("layout: %s has %d values, not one" % (name, len(v)))
        return v[0]

    def rows(self, name):
        return [[int(t, 0) for t in tokens] for tokens, _ in self._rows.get(name, [])]

    def group(self, prefix):
        """{rest of the name: value} of every one-value name under prefix."""
        return {n[len(prefix):]: self.value(n) for n in self._rows if n.startswith(prefix)}

    def record(self, name):
        tokens, where = self._only(name)
        fields = []
        for t in tokens:
            field, _, kind = t.partition(":")
            if kind not in _TYPES:
                raise ValueError("%s: field %r of %s has no known type" % (where, t, name))
            fields.append((field, kind))
        return Record(name, fields)
