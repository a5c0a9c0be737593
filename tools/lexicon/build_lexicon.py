#!/usr/bin/env python3
"""Builds the main lexicon and the polyphone model sections.

    build_lexicon.py --syllables FILE [--sources DIR | --words FILE]
                     [--added FILE] [--rules FILE] [--out DIR] [--tones 5]

Writes OUT/lexicon.bin (main lexicon payload), OUT/polyphone.bin
(polyphone model payload) and OUT/lexicon-report.txt. Words are handled as
tone-numbered pinyin until the last step, which turns them into unit codes
by the syllable list (one toneless spelling per line, in index order).
"""

import argparse
import collections
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import lexicon_encoder as enc        # noqa: E402
import lexicon_words                 # noqa: E402
import polyphone_rules               # noqa: E402
from syllable_codes import SyllableCodes   # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


def code_blocks(words, defaults, syllables, stats):
    """Words keyed by pinyin -> encoder blocks keyed by hanzi index."""
    blocks = {}
    for ch, syl in defaults.items():
        code = enc.internal_code(ch)
        k = None if code is None else enc.hanzi_index(code)
        if k is not None:
            blocks[k] = (syllables.code(syl), [])
    for text in sorted(words):
        word = words[text]
        chars = [enc.internal_code(ch) for ch in text]
        if None in chars:
            stats["skipped: character outside GBK"] += 1
            continue
        k = enc.hanzi_index(chars[0])
        if k is None:
            stats["skipped: first character not a GB2312 hanzi"] += 1
            continue
        if len(chars) > enc.MAX_WORD_LENGTH:
            stats["skipped: longer than %d characters" % enc.MAX_WORD_LENGTH] += 1
            continue
        readings = []
        for tag, syls, freq in word.readings:
            codes = syllables.codes(syls)
            if codes is None:
                stats["readings dropped: syllable not in the list"] += 1
                continue
            readings.append((tag, codes, freq))
        if not readings:
            stats["skipped: no reading in the syllable list"] += 1
            continue
        if k not in blocks:
            blocks[k] = (readings[0][1][0], [])
        blocks[k][1].append((chars, readings))
        stats["words kept"] += 1
        if len(readings) > 1:
            stats["entries with several readings"] += 1
            if len(chars) == 1:
                stats["polyphonic single characters"] += 1
    return blocks


def rule_warnings(entries, words):
    """Likely mistakes in the rules: a reading the character never has, a
    pattern without wildcards that is no word and so can never match."""
    out = []
    for e in entries:
        for r in e.rules:
            for ch, syl in zip(e.text, r.readings):
                known = {rd[1][0] for rd in words[ch].readings} if ch in words else set()
                if syl not in known and not syl.endswith("5"):
                    out.append("line %d: %s is not a reading of %s" % (r.line, syl, ch))
            for limit in r.limits:
                for pattern in getattr(limit, "patterns", ()):
                    if "*" not in pattern and pattern not in words:
                        out.append("line %d: pattern %s is not a word" % (r.line, pattern))
    return out


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    src = ap.add_mutually_exclusive_group(required=True)
    src.add_argument("--sources", help="folder with the unpacked npm packages")
    src.add_argument("--words", help="hand-made word list instead of the packages")
    ap.add_argument("--syllables", required=True, help="syllable list, one spelling per line")
    ap.add_argument("--added", help="hand-made words added to (or replacing) the source words "
                    "(default with --sources: added_words.tsv beside this script)")
    ap.add_argument("--rules", default=os.path.join(HERE, "polyphone_rules.txt"))
    ap.add_argument("--out", default="build/lexicon")
    ap.add_argument("--tones", type=int, default=5, choices=(5, 6))
    args = ap.parse_args(argv)

    stats = collections.Counter()
    for always in ("words kept", "entries with several readings", "polyphonic single characters",
                   "skipped: longer than %d characters" % enc.MAX_WORD_LENGTH,
                   "readings dropped: entry size limit"):
        stats[always] += 0
    syllables = SyllableCodes.from_file(args.syllables, args.tones)
    if args.sources:
        words, defaults = lexicon_words.from_sources(args.sources, stats)
    else:
        words, defaults = lexicon_words.from_word_list(args.words, stats)
    added = args.added
    if added is None and args.sources:
        added = os.path.join(HERE, "added_words.tsv")
    if added:
        lexicon_words.add_words(words, added, stats)
    blocks = code_blocks(words, defaults, syllables, stats)
    stats["GB2312 hanzi without any entry"] = enc.INDEX_ENTRIES - 5 - sum(1 for b in blocks.values() if b[1])
    lexicon, dropped = enc.encode_section(blocks)
    stats["readings dropped: entry size limit"] += dropped

    with open(args.rules, encoding="utf-8") as f:
        entries = polyphone_rules.parse(f.read(), args.rules)
    for warning in rule_warnings(entries, words):
        sys.stderr.write("build_lexicon: warning: %s\n" % warning)
        stats["polyphone rule warnings"] += 1
    polyphone = polyphone_rules.compile_section(entries, syllables.code, enc.internal_code)
    stats["polyphone single entries"] = sum(1 for e in entries if len(e.text) == 1)
    stats["polyphone pair entries"] = sum(1 for e in entries if len(e.text) == 2)
    stats["polyphone rules"] = sum(len(e.rules) for e in entries)

    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, "lexicon.bin"), "wb") as f:
        f.write(lexicon)
    with open(os.path.join(args.out, "polyphone.bin"), "wb") as f:
        f.write(polyphone)
    stats["lexicon bytes"] = len(lexicon)
    stats["polyphone bytes"] = len(polyphone)
    report = "".join("%-48s %d\n" % (k, stats[k]) for k in sorted(stats))
    with open(os.path.join(args.out, "lexicon-report.txt"), "w", encoding="utf-8") as f:
        f.write(report)
    sys.stdout.write(report)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (ValueError, OSError) as e:
        sys.stderr.write("build_lexicon: %s\n" % e)
        sys.exit(1)
