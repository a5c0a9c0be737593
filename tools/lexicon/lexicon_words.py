"""The word list of the lexicon: words with tags and readings, keyed by
tone-numbered pinyin until the final coding step."""

import collections

from lexicon_encoder import hanzi_index
from lexicon_sources import read_jieba, read_word_readings, read_char_readings
from pinyin_numbers import citation_tones
from tag_names import TAG_NUMBER, jieba_tag_number


def is_gb2312_hanzi(ch):
    try:
        b = ch.encode("gb2312")
    except UnicodeEncodeError:
        return False
    return len(b) == 2 and hanzi_index(b[0] | (b[1] << 8)) is not None

# Tag of hanzi that the word list does not hold as words of their own.
BOUND_CHARACTER_TAG = TAG_NUMBER["ng"]


class Word:
    __slots__ = ("text", "readings")

    def __init__(self, text):
        self.text = text
        self.readings = []   # [(tag number, [numbered syllables], frequency)]

    def add(self, tag, syllables, frequency):
        for t, s, _ in self.readings:
            if t == tag and s == syllables:
                return
        self.readings.append((tag, list(syllables), frequency))


def split_frequency(total, alternates, shares):
    """Frequencies of a default reading and its alternates. An alternate
    gets a quarter of its share of the character's uses in compounds; the
    default keeps the rest and at least twice any alternate, so it stays
    the tagger's choice."""
    others = [max(1, round(total * shares.get(a, 0.0) / 4)) for a in alternates]
    default = max(total - sum(others), 2 * max(others, default=0), 1)
    return default, others


def from_sources(source_dir, stats):
    """Words of the jieba list with readings from pinyin-pro; single
    characters carry every known reading. Returns ({text: Word},
    {char: default syllable})."""
    jieba = read_jieba("%s/%s" % (source_dir, "nodejieba/package/submodules/cppjieba/dict/jieba.dict.utf8"))
    word_readings = read_word_readings("%s/%s" % (source_dir, "pinyin-pro-data/package/json/complete.json"))
    char_readings = read_char_readings("%s/%s" % (source_dir, "pinyin-pro/package/dist/esm/data/dict1.mjs"))
    stats["source words"] = len(jieba)

    # How often each reading of a character occurs, weighted by frequency.
    uses = collections.defaultdict(collections.Counter)
    for text, freq, _ in jieba:
        reading = word_readings.get(text)
        if reading:
            for ch, syl in zip(text, reading):
                uses[ch][syl] += freq

    words = {}
    for text, freq, jtag in jieba:
        tag = jieba_tag_number(jtag)
        reading = word_readings.get(text)
        if reading is None:
            reading = [char_readings.get(ch, [None])[0] for ch in text]
            if None in reading:
                stats["skipped: no reading"] += 1
                continue
            stats["readings composed from characters"] += 1
        if freq > 60000:
            stats["frequencies saturated"] += 1
        word = Word(text)
        if len(text) == 1 and len(char_readings.get(text, [])) > 1:
            alternates = [r for r in char_readings[text] if r != reading[0]]
            counts = uses[text]
            total = sum(counts.values()) or 1
            shares = {a: counts[a] / total for a in alternates}
            default_freq, other_freqs = split_frequency(freq, alternates, shares)
            word.add(tag, reading, default_freq)
            for a, f in zip(alternates, other_freqs):
                word.add(tag, [a], f)
        else:
            word.add(tag, reading, freq)
        words[text] = word

    # Every GB2312 hanzi gets a one-character entry, so none is unknown.
    for ch, readings in char_readings.items():
        if ch not in words and is_gb2312_hanzi(ch):
            word = Word(ch)
            for r in readings:
                word.add(BOUND_CHARACTER_TAG, [r], 1)
            words[ch] = word
            stats["characters added as bound morphemes"] += 1

    defaults = {ch: r[0] for ch, r in char_readings.items()}
    for text, reading in word_readings.items():
        if len(text) == 1:
            defaults.setdefault(text, reading[0])
    return words, defaults


def from_word_list(path, stats):
    """A hand-made list: lines "word<TAB>tag name<TAB>reading<TAB>frequency",
    one reading per line, the default reading of a word first; # comments.
    Readings may be written after the 一/不 tone changes; they are stored
    in citation tones like the others.
    A character's default is its own word's first reading, else the reading
    it has in the first word that starts with it."""
    words = {}
    defaults = {}
    with open(path, encoding="utf-8") as f:
        for lineno, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            parts = line.split("\t")
            if len(parts) != 4 or parts[1] not in TAG_NUMBER:
                raise ValueError("%s:%d: expected word, tag, reading, frequency" % (path, lineno))
            text, tag, freq = parts[0], TAG_NUMBER[parts[1]], int(parts[3])
            reading = citation_tones(text, parts[2].split())
            if len(reading) != len(text):
                raise ValueError("%s:%d: one syllable per character expected" % (path, lineno))
            stats["source words"] += text not in words
            words.setdefault(text, Word(text)).add(tag, reading, freq)
            if len(text) == 1:
                defaults.setdefault(text, reading[0])
    for text, word in words.items():
        if len(text) > 1:
            defaults.setdefault(text[0], word.readings[0][1][0])
    return words, defaults


def add_words(words, path, stats):
    """Adds the words of a hand-made list (from_word_list's format) to
    words; an added word replaces a word of the same text with all its
    readings. Characters' defaults stay those of the sources."""
    added, _ = from_word_list(path, collections.Counter())
    for text, word in added.items():
        stats["added words: replacing a source word" if text in words else "added words: new"] += 1
        words[text] = word
