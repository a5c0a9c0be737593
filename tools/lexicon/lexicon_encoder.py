"""Byte layout of the main lexicon section.

Payload: 6768 little-endian uint32 block offsets (one per GB2312 hanzi,
counted from the payload start; block k ends where block k+1 starts, the
last at the payload end), then the blocks. A block: the first character's
default unit code (uint16), then its entries sorted by length and then by
the following characters as uint16 values. See docs/lexicon-format.md.
"""

import struct

import frequency_code

INDEX_ENTRIES = 6768
INDEX_BYTES = INDEX_ENTRIES * 4
MAX_WORD_LENGTH = 16
MAX_ENTRY_BYTES = 255
MAX_READINGS = 16
NO_CODE = 0xFFFF


def internal_code(ch):
    """Internal 16-bit code of one character (GBK lead byte low, trail byte
    high; ASCII as itself), or None when GBK cannot encode it."""
    try:
        b = ch.encode("gbk")
    except UnicodeEncodeError:
        return None
    if len(b) == 1:
        return b[0]
    return b[0] | (b[1] << 8)


def hanzi_index(code):
    """Index of a GB2312 hanzi internal code in the block table, else None."""
    lead, trail = code & 0xFF, code >> 8
    if 0xB0 <= lead <= 0xF7 and 0xA1 <= trail <= 0xFE:
        return (lead - 0xB0) * 94 + (trail - 0xA1)
    return None


def encode_entry(chars, readings, default_code):
    """Bytes of one entry. chars: internal codes of the whole word;
    readings: [(tag, unit codes, frequency)], best first. Readings that do
    not fit the 255-byte limit are dropped; returns (bytes, dropped)."""
    n = len(chars)
    if not 1 <= n <= MAX_WORD_LENGTH:
        raise ValueError("word length %d outside 1..%d" % (n, MAX_WORD_LENGTH))
    body = b"".join(struct.pack("<H", c) for c in chars[1:])
    if n > 3:
        body += b"\0\0"
    dropped = max(0, len(readings) - MAX_READINGS)
    for tag, codes, freq in readings[:MAX_READINGS]:
        if len(codes) != n or not 0 <= tag < 128:
            raise ValueError("bad reading for a word of %d characters" % n)
        compact = n == 1 and codes[0] == default_code
        part = bytes((tag | (0 if compact else 0x80), frequency_code.encode(freq)))
        if not compact:
            part += b"".join(struct.pack("<H", c) for c in codes)
        if 2 + len(body) + len(part) > MAX_ENTRY_BYTES:
            dropped += 1
            continue
        body += part
    size = 2 + len(body)
    return struct.pack("<H", ((n - 1) << 4) | (size << 8)) + body, dropped


def entry_sort_key(chars):
    return (len(chars), tuple(chars[1:]))


def encode_section(blocks):
    """blocks: {hanzi index: (default code, [(chars, readings)])}.
    Returns (payload bytes, readings dropped)."""
    index = bytearray()
    data = bytearray()
    dropped = 0
    for k in range(INDEX_ENTRIES):
        index += struct.pack("<I", INDEX_BYTES + len(data))
        if k not in blocks:
            continue
        default_code, entries = blocks[k]
        data += struct.pack("<H", NO_CODE if default_code is None else default_code)
        for chars, readings in sorted(entries, key=lambda e: entry_sort_key(e[0])):
            raw, lost = encode_entry(chars, readings, default_code)
            data += raw
            dropped += lost
    return bytes(index + data), dropped
