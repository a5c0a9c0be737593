#!/usr/bin/env python3
"""Preview of the polyphone rules on real sentences, for whoever edits
polyphone_rules.txt:

    try_rules.py --sources node_modules [--rules FILE] < sentences.txt

Segments every line by the lexicon (the engine's word cost: fewest cost by
the step-log of the word frequency), applies the rules to one- and
two-character words and prints each change with its sentence. Character
attribute limits are not known here and count as not holding.
"""

import argparse
import collections
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import frequency_code            # noqa: E402
import lexicon_words             # noqa: E402
import polyphone_rules           # noqa: E402
from tag_names import TAG_NAMES  # noqa: E402

_STEPS = [round(1.25 ** (k + 1)) for k in range(96)]
_LOG = [round(1000 * math.log10(1.25) * (k + 1)) for k in range(96)]


def step_log(x):
    for k in range(96):
        if x <= _STEPS[k]:
            return _LOG[k]
    return _LOG[-1]


def segment(text, words, longest=16):
    """[(word, tag name, reading)] of the cheapest path."""
    n = len(text)
    best = [None] * (n + 1)
    best[n] = (0, None)
    for i in range(n - 1, -1, -1):
        for j in range(i + 1, min(n, i + longest) + 1):
            w = words.get(text[i:j])
            if w is None and j > i + 1:
                continue
            if w is None:
                cost = step_log(2079997)
            else:
                freq = sum(frequency_code.decode(frequency_code.encode(f)) for _, _, f in w.readings)
                cost = step_log(2079997) - step_log(freq + 1)
            if best[j] is not None and (best[i] is None or best[j][0] + cost < best[i][0]):
                best[i] = (best[j][0] + cost, j)
    out = []
    i = 0
    while i < n:
        j = best[i][1]
        w = words.get(text[i:j])
        if w is None:
            out.append((text[i:j], "w", None))
        else:
            tag, reading, _ = w.readings[0]
            out.append((text[i:j], TAG_NAMES[tag], list(reading)))
        i = j
    return out


def _matches(pattern, word):
    core = pattern.strip("*")
    before, after = pattern.startswith("*"), pattern.endswith("*")
    if before and after:
        return core in word
    if after:
        return word.startswith(core)
    if before:
        return word.endswith(core)
    return word == core


def limit_holds(limit, sent, i):
    n = len(sent)
    if limit.kind in (polyphone_rules.LIMIT_POS, polyphone_rules.LIMIT_WORDS):
        lo, hi = max(0, i + limit.begin), min(n - 1, i + limit.end)
        span = sent[lo:hi + 1]
        if limit.kind == polyphone_rules.LIMIT_POS:
            hit = any(tag in limit.tags for _, tag, _ in span)
        else:
            hit = any(_matches(p, w) for w, _, _ in span for p in limit.patterns)
        return hit != limit.negated
    if limit.kind == polyphone_rules.LIMIT_LENGTH:
        k = i + limit.position
        length = len(sent[k][0]) if 0 <= k < n else 0
        return length < limit.length if limit.fewer else length == limit.length
    return False


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--sources", required=True)
    ap.add_argument("--rules", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "polyphone_rules.txt"))
    args = ap.parse_args()
    with open(args.rules, encoding="utf-8") as f:
        entries = {e.text: e for e in polyphone_rules.parse(f.read(), args.rules)}
    words, _ = lexicon_words.from_sources(args.sources, collections.Counter())
    changes = collections.Counter()
    for line in sys.stdin:
        line = line.strip()
        if not line:
            continue
        sent = segment(line, words)
        for i, (w, _, reading) in enumerate(sent):
            entry = entries.get(w)
            if entry is None or reading is None:
                continue
            for rule in entry.rules:
                if all(limit_holds(l, sent, i) for l in rule.limits):
                    if rule.readings != reading:
                        changes[(w, " ".join(reading), " ".join(rule.readings))] += 1
                        context = " ".join(x for x, _, _ in sent[max(0, i - 3):i + 4])
                        print("%s %s -> %s (line %d)\t%s" % (w, " ".join(reading), " ".join(rule.readings),
                                                             rule.line, context))
                    break
    for (w, old, new), count in changes.most_common():
        sys.stderr.write("%6d  %s %s -> %s\n" % (count, w, old, new))
    return 0


if __name__ == "__main__":
    sys.exit(main())
