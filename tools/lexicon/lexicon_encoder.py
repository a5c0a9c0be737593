"""Byte layout of the main lexicon section.

Payload: one little-endian uint32 block offset per GB2312 hanzi (counted
from the payload start; block k ends where block k+1 starts, the last at
the payload end), then the blocks. A block: the first character's default
unit code (uint16), then its entries sorted by length and then by the
following characters as uint16 values. Every number comes from
engine/frontend/lexicon/lexicon_layout.txt; prose in docs/lexicon-format.md.
"""

import frequency_code
from layout_description import Layout

LAYOUT = Layout.load("engine/frontend/lexicon/lexicon_layout.txt")
LEAD_FIRST, LEAD_LAST = LAYOUT.values("lexicon.hanzi_lead")
TRAIL_FIRST, TRAIL_LAST = LAYOUT.values("lexicon.hanzi_trail")
TRAILS = TRAIL_LAST - TRAIL_FIRST + 1
INDEX_ENTRIES = (LEAD_LAST - LEAD_FIRST + 1) * TRAILS
INDEX_ENTRY = LAYOUT.record("lexicon.index_entry")
INDEX_BYTES = INDEX_ENTRIES * INDEX_ENTRY.size
BLOCK_HEAD = LAYOUT.record("lexicon.block_head")
ENTRY_HEAD = LAYOUT.record("lexicon.entry_head")
READING = LAYOUT.record("lexicon.reading")
LENGTH_SHIFT = LAYOUT.value("lexicon.length_shift")
SIZE_SHIFT = LAYOUT.value("lexicon.size_shift")
MAX_WORD_LENGTH = LAYOUT.value("lexicon.max_word_length")
MAX_ENTRY_BYTES = LAYOUT.value("lexicon.max_entry_bytes")
RESERVED_AFTER_LENGTH = LAYOUT.value("lexicon.reserved_after_length")
RESERVED_BYTES = LAYOUT.value("lexicon.reserved_bytes")
OWN_CODES_FLAG = LAYOUT.value("lexicon.own_codes_flag")
MAX_READINGS = LAYOUT.value("lexicon.max_readings")
NO_CODE = LAYOUT.value("lexicon.no_code")
CODE = LAYOUT.record("lexicon.code")


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
    if LEAD_FIRST <= lead <= LEAD_LAST and TRAIL_FIRST <= trail <= TRAIL_LAST:
        return (lead - LEAD_FIRST) * TRAILS + (trail - TRAIL_FIRST)
    return None


def encode_entry(chars, readings, default_code):
    """Bytes of one entry. chars: internal codes of the whole word;
    readings: [(tag, unit codes, frequency)], best first. Readings that do
    not fit the entry size limit are dropped; returns (bytes, dropped)."""
    n = len(chars)
    if not 1 <= n <= MAX_WORD_LENGTH:
        raise ValueError("word length %d outside 1..%d" % (n, MAX_WORD_LENGTH))
    body = b"".join(CODE.pack(c) for c in chars[1:])
    if n > RESERVED_AFTER_LENGTH:
        body += bytes(RESERVED_BYTES)
    dropped = max(0, len(readings) - MAX_READINGS)
    for tag, codes, freq in readings[:MAX_READINGS]:
        if len(codes) != n or not 0 <= tag < 128:
            raise ValueError("bad reading for a word of %d characters" % n)
        compact = n == 1 and codes[0] == default_code
        part = READING.pack(tag | (0 if compact else OWN_CODES_FLAG), frequency_code.encode(freq))
        if not compact:
            part += b"".join(CODE.pack(c) for c in codes)
        if ENTRY_HEAD.size + len(body) + len(part) > MAX_ENTRY_BYTES:
            dropped += 1
            continue
        body += part
    size = ENTRY_HEAD.size + len(body)
    return ENTRY_HEAD.pack(((n - 1) << LENGTH_SHIFT) | (size << SIZE_SHIFT)) + body, dropped


def entry_sort_key(chars):
    return (len(chars), tuple(chars[1:]))


def encode_section(blocks):
    """blocks: {hanzi index: (default code, [(chars, readings)])}.
    Returns (payload bytes, readings dropped)."""
    index = bytearray()
    data = bytearray()
    dropped = 0
    for k in range(INDEX_ENTRIES):
        index += INDEX_ENTRY.pack(INDEX_BYTES + len(data))
        if k not in blocks:
            continue
        default_code, entries = blocks[k]
        data += BLOCK_HEAD.pack(NO_CODE if default_code is None else default_code)
        for chars, readings in sorted(entries, key=lambda e: entry_sort_key(e[0])):
            raw, lost = encode_entry(chars, readings, default_code)
            data += raw
            dropped += lost
    return bytes(index + data), dropped
