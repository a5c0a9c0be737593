"""Features and payload of the boundary models, as the engine reads them.

Every number (payload records, limits, feature numbers) comes from
engine/frontend/prosody/boundary_layout.txt. The features of a word are
those of the engine's extractor: tests/engine/frontend/prosody/
boundary_cases.txt holds word lists with the features both must give
(tests/tools/boundaries/boundary_features_test.py checks this side).

Payload: key count, word keys (first two internal codes, zero-padded)
sorted as byte strings, entry count, entries (feature, value, sub-value,
0, weight against, weight for a boundary) sorted by their first three bytes.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lexicon"))
from layout_description import Layout  # noqa: E402

LAYOUT = Layout.load("engine/frontend/prosody/boundary_layout.txt")
COUNT = LAYOUT.record("boundary.count")
WORD_KEY = LAYOUT.record("boundary.word_key")
ENTRY = LAYOUT.record("boundary.entry")
MAX_WORD_KEYS = LAYOUT.value("boundary.max_word_keys")
PLAIN = LAYOUT.value("boundary.plain_sub_value")
POS_NONE = LAYOUT.value("boundary.pos_none")
POS_ABSENT = LAYOUT.value("boundary.pos_absent")
SYMBOL_CLASS = LAYOUT.value("boundary.symbol_class")
OTHER_CLASS = 3          # any word that is not punctuation
NEIGHBOURS = LAYOUT.value("boundary.neighbours")
LINE_BREAK = tuple(LAYOUT.values("boundary.line_break"))
QUOTE_CODES = frozenset(LAYOUT.values("boundary.quote_marks"))
BUILDING_CODES = frozenset(LAYOUT.values("boundary.building_words"))
UNKNOWN_RUN_TAG = LAYOUT.value("boundary.unknown_run_tag")
STARTS_PROSODIC_WORD = LAYOUT.value("boundary.starts_prosodic_word")
STARTS_PHRASE = LAYOUT.value("boundary.starts_phrase")
MAX_WORDS = LAYOUT.value("boundary.max_words")
MAX_WORD_CHARS = LAYOUT.value("boundary.max_word_chars")
F = LAYOUT.group("feature.")


class FeatureWord:
    """A word as the engine sees it: internal codes, tag number, class."""
    __slots__ = ("codes", "tag", "word_class", "is_quote")

    def __init__(self, text, tag, is_mark):
        self.codes = internal_codes(text)
        self.tag = tag
        self.word_class = SYMBOL_CLASS if is_mark else OTHER_CLASS
        self.is_quote = len(self.codes) == 1 and self.codes[0] in QUOTE_CODES


def internal_codes(text):
    codes = []
    for ch in text:
        b = ch.encode("gbk")
        codes.append(b[0] if len(b) == 1 else b[0] | (b[1] << 8))
    return codes


def word_key(codes):
    c0 = codes[0] if codes else 0
    c1 = codes[1] if len(codes) > 1 else 0
    return WORD_KEY.pack(c0, c1)


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
    while k >= 0 and len(prev) < NEIGHBOURS:
        if not (skip_quotes and words[k].is_quote):
            prev.append(k)
        k -= 1
    k = index + 1
    while k < len(words) and len(nxt) < NEIGHBOURS:
        if not (skip_quotes and words[k].is_quote):
            nxt.append(k)
        k += 1
    return prev, nxt


def _pos(word):
    return POS_NONE if word.tag < 0 else word.tag & 0xFF


def char_starts(words):
    """Character offset of every word and of the end, each held at the
    first line break (the engine counts no character from there on)."""
    starts, offset, limit, after_cr = [], 0, None, False
    for w in words:
        starts.append(offset)
        for c in w.codes:
            if limit is None and after_cr and c == LINE_BREAK[1]:
                limit = offset - 1
            after_cr = c == LINE_BREAK[0]
            offset += 1
    starts.append(offset)
    if limit is None:
        return starts
    return [min(s, limit) for s in starts]


def features(words, index, keys, phrase_model, phrase_start=0):
    """The (feature, value, sub-value) keys of words[index]."""
    w = words[index]
    prev, nxt = neighbours(words, index, phrase_model)
    out = []
    add = lambda f, v, s=PLAIN: out.append((f, v & 0xFF, s & 0xFF))
    self_idx = keys.find(w)
    if self_idx >= 0:
        add(F["self_lex_a"], 0, self_idx)
        add(F["self_lex_b"], 0, self_idx)
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
    lexical(n(1), F["next_lex_a"], F["next_lex_b"])
    lexical(p(1), F["prev_lex_a"], F["prev_lex_b"])
    add(F["pos"], _pos(w))
    add(F["len"], len(w.codes))

    def context(other, fp, fl):
        if other is None:
            add(fp, POS_ABSENT)
            add(fl, 0)
        else:
            add(fp, _pos(words[other]))
            add(fl, len(words[other].codes))

    context(p(1), F["prev_pos"], F["prev_len"])
    context(n(1), F["next_pos"], F["next_len"])
    context(p(2), F["prev2_pos"], F["prev2_len"])
    context(n(2), F["next2_pos"], F["next2_len"])
    context(p(3), F["prev3_pos"], F["prev3_len"])
    n3 = n(3)
    add(F["next3_pos"], POS_ABSENT if n3 is None else _pos(words[n3]))
    if n3 is None:
        add(F["next3_len"], 0)
    elif words[n3].tag >= 0:
        add(F["next3_len"], len(words[n3].codes))
    starts = char_starts(words)
    add(F["chars_before"], starts[index])
    add(F["sentence_chars"], starts[-1])
    if phrase_model:
        start = max(0, min(phrase_start, len(words)))
        add(F["chars_to_end"], starts[-1] - starts[start])
        for other, f in ((n(1), F["next_mark"]), (p(1), F["prev_mark"])):
            if other is not None and words[other].word_class == SYMBOL_CLASS:
                k = keys.find(words[other])
                if k >= 0:
                    add(f, 0, k)
    return out


def write_payload(path, keys, weights):
    """weights: {(f, v, s): (against, for)} of int16 values."""
    out = bytearray(COUNT.pack(len(keys.keys)))
    for k in keys.keys:
        out += k
    entries = sorted(weights.items())
    out += COUNT.pack(len(entries))
    for (f, v, s), (against, for_) in entries:
        out += ENTRY.pack(f, v, s, 0, against, for_)
    with open(path, "wb") as fh:
        fh.write(out)
    return len(out)
