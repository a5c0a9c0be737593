"""The builder's boundary features and decisions against the shared table
tests/engine/frontend/prosody/boundary_cases.txt, which the engine's test
reads too.

    boundary_features_test.py --write   fills the table's expectations with
                                        what the builder gives now (after a
                                        deliberate change; the engine's test
                                        then says whether it agrees)
"""

import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools", "boundaries"))

import boundary_model as bm  # noqa: E402
import build_boundaries  # noqa: E402

CASES = os.path.join(ROOT, "tests", "engine", "frontend", "prosody", "boundary_cases.txt")


def parse_key(text):
    return tuple(int(x) for x in text.split("."))


def parse_word(token):
    parts = token.split("/")
    text = parts[0].replace("\\r", "\r").replace("\\n", "\n")
    tag = int(parts[1])
    word_class = int(parts[2]) if len(parts) > 2 else bm.OTHER_CLASS
    return bm.FeatureWord(text, tag, word_class == bm.SYMBOL_CLASS)


class Sentence:
    def __init__(self, words):
        self.words = words


def key_text(keys):
    return " ".join("%d.%d.%d" % k for k in sorted(keys))


def evaluate(path):
    """Yields (line number, line, what the builder gives) for every line
    with an expectation: features after "=", or the flags."""
    keys, weights, words = None, None, None
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for lineno, line in enumerate(lines, 1):
        tokens = line.split("#", 1)[0].split()
        if not tokens:
            continue
        kind = tokens[0]
        if kind == "model":
            keys = bm.WordKeys([bm.word_key(bm.internal_codes(w)) for w in tokens[1:]])
            weights = {"word": {}, "phrase": {}}
        elif kind == "weights":
            for item in tokens[2:]:
                key, _, pair = item.partition("=")
                against, for_ = (int(x) for x in pair.split(","))
                weights[tokens[1]][parse_key(key)] = (against, for_)
        elif kind == "sentence":
            words = [parse_word(t) for t in tokens[1:]]
        elif kind in ("word", "phrase"):
            index = int(tokens[1])
            start = int(tokens[2]) if kind == "phrase" else 0
            got = bm.features(words, index, keys, kind == "phrase", start)
            yield lineno, line, "%s = %s" % (" ".join(tokens[:tokens.index("=")]), key_text(got))
        elif kind == "flags":
            pw, ph = build_boundaries.predict_sentence(Sentence(words), keys, weights["word"],
                                                       weights["phrase"])
            flags = ["%x" % ((bm.STARTS_PROSODIC_WORD if a else 0) | (bm.STARTS_PHRASE if b else 0))
                     for a, b in zip(pw, ph)]
            yield lineno, line, "flags " + " ".join(flags)
        else:
            raise ValueError("%s:%d: unknown line %r" % (path, lineno, kind))


def expectation(line):
    """A table line without its comment, white space folded."""
    return " ".join(line.split("#", 1)[0].split())


class BoundaryCases(unittest.TestCase):
    def test_builder_gives_the_tables_features_and_flags(self):
        checked = 0
        for lineno, line, got in evaluate(CASES):
            with self.subTest(line=lineno):
                self.assertEqual(got, expectation(line))
            checked += 1
        self.assertGreater(checked, 10)

    def test_extraction_is_sensitive_to_the_feature_numbers(self):
        # Guards the check itself: a renumbered feature must show in the table.
        saved = dict(bm.F)
        try:
            bm.F["pos"], bm.F["len"] = saved["len"], saved["pos"]
            self.assertTrue(any(got != expectation(line) for _, line, got in evaluate(CASES)))
        finally:
            bm.F.clear()
            bm.F.update(saved)


def write():
    with open(CASES, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for lineno, _, got in list(evaluate(CASES)):
        lines[lineno - 1] = got
    with open(CASES, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    if sys.argv[1:] == ["--write"]:
        write()
    else:
        unittest.main()
