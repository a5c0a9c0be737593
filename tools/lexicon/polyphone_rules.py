"""Reader and compiler of the readable polyphone rule source.

Source syntax (full description in docs/lexicon-format.md):

    # comment
    了:                                   entry: one or two characters
        liao3 if word(-1) in 不,得 & pos(-2) in v
        le5                                rule without limits: always holds

A rule names the reading(s) it gives (one syllable per character of the
entry) and, after "if", limits joined by "&":
    pos(B..E) [not] in TAG,TAG       a word in offsets B..E has one of the tags
    word(B..E) [not] in PAT,PAT      a word matches a pattern (* wildcard at
                                     the start and/or end)
    len(P) = N   /   len(P) < N      the word at offset P has N characters
    attr(P,C) has MASK / lacks MASK  character C of the word at P has every
                                     bit of MASK in its attribute word
(P) is short for (P..P); offsets are words relative to the entry's word.

The compiled form follows engine/frontend/lexicon/lexicon_layout.txt.
"""

import re

from layout_description import Layout
from tag_names import TAG_NUMBER

_LAYOUT = Layout.load("engine/frontend/lexicon/lexicon_layout.txt")
_TYPES = _LAYOUT.group("polyphone.limit.")
LIMIT_POS = _TYPES["part_of_speech"]
LIMIT_WORDS = _TYPES["words"]
LIMIT_LENGTH = _TYPES["character_number"]
LIMIT_ATTRIBUTE = _TYPES["character_attribute"]
WILDCARD = _LAYOUT.value("polyphone.wildcard")
MAX_PATTERN_CHARS = _LAYOUT.value("polyphone.max_pattern_chars")
MAX_LIST_ITEMS = _LAYOUT.value("polyphone.max_list_items")
MAX_RULE_BYTES = _LAYOUT.value("polyphone.max_rule_bytes")
COUNT_NEGATED = _LAYOUT.value("polyphone.count_negated_flag")
FEWER_THAN = _LAYOUT.value("polyphone.fewer_than_flag")
MASK_NEGATED = _LAYOUT.value("polyphone.mask_negated_flag")
CODE = _LAYOUT.record("lexicon.code")
HEADER = _LAYOUT.record("polyphone.header")
SINGLE = _LAYOUT.record("polyphone.single")
PAIR = _LAYOUT.record("polyphone.pair")
RULE_HEAD = _LAYOUT.record("polyphone.rule_head")
POS_LIMIT = _LAYOUT.record("polyphone.limit_part_of_speech")
WORDS_LIMIT = _LAYOUT.record("polyphone.limit_words")
LENGTH_LIMIT = _LAYOUT.record("polyphone.limit_character_number")
ATTRIBUTE_LIMIT = _LAYOUT.record("polyphone.limit_character_attribute")


class RuleError(ValueError):
    pass


class Limit:
    def __init__(self, kind, **fields):
        self.kind = kind
        self.__dict__.update(fields)


class Rule:
    def __init__(self, readings, limits, line):
        self.readings = readings   # numbered syllables, one per character
        self.limits = limits
        self.line = line


class Entry:
    def __init__(self, text, line):
        self.text = text
        self.rules = []
        self.line = line


_RANGE = r"\(\s*([+-]?\d+)\s*(?:\.\.\s*([+-]?\d+)\s*)?\)"
_LIST_LIMIT = re.compile(r"^(pos|word)\s*" + _RANGE + r"\s*(not\s+in|in)\s+(.+)$")
_LEN_LIMIT = re.compile(r"^len\s*\(\s*([+-]?\d+)\s*\)\s*(=|<)\s*(\d+)$")
_ATTR_LIMIT = re.compile(r"^attr\s*\(\s*([+-]?\d+)\s*,\s*([+-]?\d+)\s*\)\s*(has|lacks)\s+(0x[0-9a-fA-F]+|\d+)$")
_SYLLABLE = re.compile(r"^[a-zv]+[1-5]$")


def _offset(text, where):
    v = int(text)
    if not -128 <= v <= 127:
        raise RuleError("%s: offset %d outside -128..127" % (where, v))
    return v


def _parse_limit(text, where):
    m = _LIST_LIMIT.match(text)
    if m:
        feature, begin, end, op, items = m.groups()
        begin = _offset(begin, where)
        end = begin if end is None else _offset(end, where)
        values = [v.strip() for v in items.split(",") if v.strip()]
        if not values or len(values) > MAX_LIST_ITEMS:
            raise RuleError("%s: a list needs 1 to %d items" % (where, MAX_LIST_ITEMS))
        negated = op != "in"
        if feature == "pos":
            for v in values:
                if v not in TAG_NUMBER:
                    raise RuleError("%s: unknown tag %r" % (where, v))
            return Limit(LIMIT_POS, begin=begin, end=end, negated=negated, tags=values)
        for v in values:
            if len(v) > MAX_PATTERN_CHARS or v.strip("*") == "":
                raise RuleError("%s: bad pattern %r" % (where, v))
        return Limit(LIMIT_WORDS, begin=begin, end=end, negated=negated, patterns=values)
    m = _LEN_LIMIT.match(text)
    if m:
        n = int(m.group(3))
        if n >= FEWER_THAN:
            raise RuleError("%s: length %d above %d" % (where, n, FEWER_THAN - 1))
        return Limit(LIMIT_LENGTH, position=_offset(m.group(1), where),
                     length=n, fewer=m.group(2) == "<")
    m = _ATTR_LIMIT.match(text)
    if m:
        mask = int(m.group(4), 0)
        if not 0 < mask < MASK_NEGATED:
            raise RuleError("%s: mask must be 1..0x%x" % (where, MASK_NEGATED - 1))
        return Limit(LIMIT_ATTRIBUTE, position=_offset(m.group(1), where),
                     char=_offset(m.group(2), where), mask=mask,
                     negated=m.group(3) == "lacks")
    raise RuleError("%s: cannot read limit %r" % (where, text))


def parse(text, name="<rules>"):
    """Source text -> [Entry] in source order."""
    entries = []
    seen = set()
    current = None
    for lineno, raw in enumerate(text.splitlines(), 1):
        where = "%s:%d" % (name, lineno)
        line = raw.split("#", 1)[0].rstrip()
        if not line.strip():
            continue
        if not line[0].isspace():
            head = line.strip()
            if not head.endswith(":") or not 1 <= len(head) - 1 <= 2:
                raise RuleError("%s: an entry line is one or two characters and ':'" % where)
            current = Entry(head[:-1], lineno)
            if current.text in seen:
                raise RuleError("%s: %s is already defined" % (where, current.text))
            seen.add(current.text)
            entries.append(current)
            continue
        if current is None:
            raise RuleError("%s: rule before any entry" % where)
        reading_text, has_if, limit_text = (line.strip() + " ").partition(" if ")
        readings = reading_text.split()
        if len(readings) != len(current.text) or not all(_SYLLABLE.match(s) for s in readings):
            raise RuleError("%s: expected %d tone-numbered syllable(s)" % (where, len(current.text)))
        if has_if and not limit_text.strip():
            raise RuleError("%s: 'if' without limits" % where)
        limits = [_parse_limit(part.strip(), where) for part in limit_text.split("&")] if has_if else []
        current.rules.append(Rule(readings, limits, lineno))
    return entries


def _encode_limit(limit, char_code):
    if limit.kind == LIMIT_POS:
        out = POS_LIMIT.pack(LIMIT_POS, limit.begin, limit.end,
                             len(limit.tags) | (COUNT_NEGATED if limit.negated else 0))
        return out + b"".join(CODE.pack(TAG_NUMBER[t]) for t in limit.tags)
    if limit.kind == LIMIT_WORDS:
        data = b""
        for p in limit.patterns:
            codes = [char_code(ch) for ch in p]
            data += CODE.pack(len(codes)) + b"".join(CODE.pack(c) for c in codes)
        return WORDS_LIMIT.pack(LIMIT_WORDS, limit.begin, limit.end,
                                len(limit.patterns) | (COUNT_NEGATED if limit.negated else 0),
                                len(data)) + data
    if limit.kind == LIMIT_LENGTH:
        return LENGTH_LIMIT.pack(LIMIT_LENGTH, limit.position,
                                 limit.length | (FEWER_THAN if limit.fewer else 0), 0)
    return ATTRIBUTE_LIMIT.pack(LIMIT_ATTRIBUTE, limit.position, limit.char,
                                limit.mask | (MASK_NEGATED if limit.negated else 0))


def compile_section(entries, syllables, char_code):
    """Section payload: the header (single and pair counts), the single
    entries and the pair entries (each sorted by their character codes),
    then the rules. syllables maps a numbered syllable to
    its unit code (None when unknown); char_code a character to its
    internal code (None when it has none)."""

    def code_of(ch):
        c = char_code(ch)
        if c is None:
            raise RuleError("character %r has no internal code" % ch)
        return c

    compiled = []
    for e in entries:
        chars = [code_of(ch) for ch in e.text]
        rules = b""
        for r in e.rules:
            codes = [syllables(s) for s in r.readings]
            if None in codes:
                raise RuleError("line %d: syllable not in the syllable list" % r.line)
            limits = b"".join(_encode_limit(l, code_of) for l in r.limits)
            if len(r.limits) > 255:
                raise RuleError("line %d: too many limits" % r.line)
            head = b"".join(CODE.pack(c) for c in codes)
            size = len(head) + RULE_HEAD.size + len(limits)
            if size > MAX_RULE_BYTES:
                raise RuleError("line %d: rule takes %d bytes, at most %d" % (r.line, size, MAX_RULE_BYTES))
            rules += head + RULE_HEAD.pack(size, len(r.limits)) + limits
        compiled.append((chars, len(e.rules), rules))

    singles = sorted((c for c in compiled if len(c[0]) == 1), key=lambda c: c[0])
    pairs = sorted((c for c in compiled if len(c[0]) == 2), key=lambda c: c[0])
    offset = HEADER.size + SINGLE.size * len(singles) + PAIR.size * len(pairs)
    table = HEADER.pack(len(singles), len(pairs))
    body = b""
    for chars, count, rules in singles + pairs:
        if count > 0xFFFF:
            raise RuleError("too many rules for one entry")
        if len(chars) == 1:
            table += SINGLE.pack(chars[0], count, offset + len(body))
        else:
            table += PAIR.pack(chars[0], chars[1], count, 0, offset + len(body))
        body += rules
    return table + body
