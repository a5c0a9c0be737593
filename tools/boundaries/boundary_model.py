"""Features and payload of the boundary models, as the engine reads them.

The feature extraction mirrors the engine's (engine/frontend/
prosodic_boundary.cpp): any change there must be made here too, and the
engine's tests pin the feature set of a word.

Payload: u32 key count, 4-byte word keys (first two internal codes, little-
endian, zero-padded) sorted as byte strings, u32 entry count, 8-byte entries
(feature, value, sub-value, 0, int16 weight against, int16 weight for a
boundary) sorted by their first three bytes.
"""
import struct

MAX_WORD_KEYS = 255      # lexical sub-values are one byte; 255 means "none"
PLAIN = 255
POS_NONE = 110
POS_ABSENT = 109
SYMBOL_CLASS = 2
QUOTES = set('"“”《》')


class FeatureWord:
    """A word as the engine sees it: internal codes, tag number, class."""
    __slots__ = ("codes", "tag", "word_class", "is_quote")

    def __init__(self, text, tag, is_mark):
        self.codes = internal_codes(text)
        self.tag = tag
        self.word_class = SYMBOL_CLASS if is_mark else 3
        self.is_quote = is_mark and len(text) == 1 and text in QUOTES


def internal_codes(text):
    codes = []
    for ch in text:
        b = ch.encode("gbk")
        codes.append(b[0] if len(b) == 1 else b[0] | (b[1] << 8))
    return codes


def word_key(codes):
    c0 = codes[0] if codes else 0
    c1 = codes[1] if len(codes) > 1 else 0
    return bytes((c0 & 0xFF, c0 >> 8, c1 & 0xFF, c1 >> 8))


class WordKeys:
    def __init__(self, keys):
        self.keys = sorted(set(keys))[:MAX_WORD_KEYS]
        assert len(self.keys) <= MAX_WORD_KEYS
        self.index = {k: i for i, k in enumerate(self.keys)}

    def find(self, word):
        return self.index.get(word_key(word.codes), -1)


def neighbours(words, index, skip_quotes):
    prev, nxt = [], []
    k = index - 1
    while k >= 0 and len(prev) < 3:
        if not (skip_quotes and words[k].is_quote):
            prev.append(k)
        k -= 1
    k = index + 1
    while k < len(words) and len(nxt) < 3:
        if not (skip_quotes and words[k].is_quote):
            nxt.append(k)
        k += 1
    return prev, nxt


def _pos(word):
    return POS_NONE if word.tag < 0 else word.tag & 0xFF


def features(words, index, keys, phrase_model, phrase_start=0):
    """The (feature, value, sub-value) keys of words[index]."""
    w = words[index]
    prev, nxt = neighbours(words, index, phrase_model)
    out = []
    add = lambda f, v, s=PLAIN: out.append((f, v & 0xFF, s & 0xFF))
    self_idx = keys.find(w)
    if self_idx >= 0:
        add(0, 0, self_idx)
        add(1, 0, self_idx)
    listed_single = self_idx >= 0 and len(w.codes) == 1

    def lexical(other, fa, fb):
        if other is None:
            if listed_single:
                add(fa, 0, PLAIN)
                add(fb, 0, PLAIN)
            return
        k = keys.find(words[other])
        if k >= 0:
            add(fa, 0, k)
            add(fb, 0, k)

    p = lambda d: prev[d - 1] if len(prev) >= d else None
    n = lambda d: nxt[d - 1] if len(nxt) >= d else None
    lexical(n(1), 3, 4)
    lexical(p(1), 13, 14)
    add(23, _pos(w))
    add(24, len(w.codes))

    def context(other, fp, fl):
        if other is None:
            add(fp, POS_ABSENT)
            add(fl, 0)
        else:
            add(fp, _pos(words[other]))
            add(fl, len(words[other].codes))

    context(p(1), 12, 20)
    context(n(1), 2, 10)
    context(p(2), 16, 19)
    context(n(2), 6, 9)
    context(p(3), 17, 18)
    n3 = n(3)
    add(7, POS_ABSENT if n3 is None else _pos(words[n3]))
    if n3 is None:
        add(8, 0)
    elif words[n3].tag >= 0:
        add(8, len(words[n3].codes))
    before = sum(len(x.codes) for x in words[:index])
    total = sum(len(x.codes) for x in words)
    add(11, before)
    add(22, total)
    if phrase_model:
        add(21, sum(len(x.codes) for x in words[phrase_start:]))
        for other, f in ((n(1), 5), (p(1), 15)):
            if other is not None and words[other].word_class == SYMBOL_CLASS:
                k = keys.find(words[other])
                if k >= 0:
                    add(f, 0, k)
    return out


def write_payload(path, keys, weights):
    """weights: {(f, v, s): (against, for)} of int16 values."""
    out = bytearray(struct.pack("<I", len(keys.keys)))
    for k in keys.keys:
        out += k
    entries = sorted(weights.items())
    out += struct.pack("<I", len(entries))
    for (f, v, s), (against, for_) in entries:
        out += struct.pack("<BBBBhh", f, v, s, 0, against, for_)
    with open(path, "wb") as fh:
        fh.write(out)
    return len(out)
