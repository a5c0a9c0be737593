#!/usr/bin/env python3
"""Adds real sentences that bring phone pairs the picked training sentences
lack, so every phone is trained in as many contexts as the corpus offers.

Phones come from the syllabified CMU lexicon (festlex-cmu), the lexicon our
English library is built from; words it lacks are left out of the count.
Greedy and deterministic: the sentence of REST that adds the most missing
pairs (first in file order on ties) is taken until none adds any or LIMIT
are taken.

Usage: coverage_sentences_en.py PICKED.tsv REST.tsv OUT.tsv [--limit 400]
"""
import re
import sys

LEXICON = '/usr/share/festival/dicts/cmu/cmudict-0.4.out'
ENTRY = re.compile(r'^\("([^"]+)" \S+ \((.*)\)\)$')
WORD = re.compile(r"[a-z']+")


def lexicon():
    words = {}
    with open(LEXICON, encoding='latin-1') as f:
        for line in f:
            m = ENTRY.match(line.strip())
            if not m or m.group(1) in words:
                continue
            phones = re.sub(r'[()0-9]', ' ', m.group(2)).split()
            words[m.group(1)] = phones
    return words


def pairs(sentence, words):
    out = set()
    prev = 'pau'
    for w in WORD.findall(sentence.lower()):
        phones = words.get(w)
        if phones is None:
            prev = 'pau'
            continue
        for p in phones:
            out.add((prev, p))
            prev = p
    out.add((prev, 'pau'))
    return out


def main():
    picked, rest, out = sys.argv[1:4]
    limit = int(sys.argv[5]) if len(sys.argv) > 5 and sys.argv[4] == '--limit' else 400
    words = lexicon()
    covered = set()
    for line in open(picked):
        covered |= pairs(line.split('\t', 1)[-1], words)
    candidates = [(line.rstrip('\n'), pairs(line.split('\t', 1)[-1], words)) for line in open(rest)]
    taken = []
    while len(taken) < limit:
        best, gain = -1, 0
        for i, (_, ps) in enumerate(candidates):
            g = len(ps - covered)
            if g > gain:
                best, gain = i, g
        if best < 0:
            break
        line, ps = candidates.pop(best)
        covered |= ps
        taken.append(line)
    with open(out, 'w') as f:
        f.write(''.join(l + '\n' for l in taken))
    print(f'{len(taken)} coverage sentences, {len(covered)} phone pairs covered', file=sys.stderr)


if __name__ == '__main__':
    main()
