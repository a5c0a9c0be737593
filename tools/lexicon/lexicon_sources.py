"""Readers of the public data the lexicon is built from."""

import json
import re

from pinyin_numbers import numbered_reading, citation_tones

JIEBA_DICT = "nodejieba/package/submodules/cppjieba/dict/jieba.dict.utf8"
WORD_READINGS = "pinyin-pro-data/package/json/complete.json"
CHAR_READINGS = "pinyin-pro/package/dist/esm/data/dict1.mjs"


def read_jieba(path):
    """[(word, frequency, tag)] in file order."""
    out = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3 and parts[1].isdigit():
                out.append((parts[0], int(parts[1]), parts[2]))
    return out


def read_word_readings(path):
    """{word: [numbered syllables]} in citation tones; words whose reading
    is not pinyin or does not give one syllable per character are left out."""
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    out = {}
    for word, value in data.items():
        syllables = numbered_reading(value[0]) if value else None
        if syllables and len(syllables) == len(word):
            out[word] = citation_tones(word, syllables)
    return out


_ENTRY = re.compile(r"^\s*(?:'([^']*)'|([^\s:'\[]+)):\s*\[(.*?)\]", re.S | re.M)
_CHAR = re.compile(r"'([^']*)'")


def read_char_readings(path):
    """{character: [numbered syllables]}, default reading first, from the
    reading -> characters map of pinyin-pro (a later key wins, as there)."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    out = {}
    for m in _ENTRY.finditer(text):
        key = m.group(1) if m.group(1) is not None else m.group(2)
        readings = numbered_reading(key)
        if not readings:
            continue
        for ch in _CHAR.findall(m.group(3)):
            if len(ch) != 1:
                continue
            seen = []
            for r in citation_tones(ch * len(readings), readings):
                if r not in seen:
                    seen.append(r)
            out[ch] = seen
    return out
