#!/usr/bin/env python3
"""Generated training sentences that cover every syllable x tone our own
front end reads for some character, each in several contexts.

  coverage_sentences.py chars  OUT.tsv            all GB2312 hanzi, one a line
  coverage_sentences.py build  CHARS.tsv SCRIPT.tsv OUT.tsv [--per 8] [--contexts 2]

SCRIPT.tsv is what kvo-voicetrain-labels wrote for CHARS.tsv: the reading
our engine gives each character spoken alone. Characters are taken in
GB2312 order (level 1 holds the common ones), the sentences are shuffled
with a fixed seed, so the same inputs always give the same file.
"""
import random
import sys


def gb2312_hanzi():
    for high in range(0xB0, 0xF8):
        for low in range(0xA1, 0xFF):
            try:
                ch = bytes([high, low]).decode('gb2312')
            except UnicodeDecodeError:
                continue
            yield ch


def write_chars(out):
    with open(out, 'w', encoding='utf-8') as f:
        for ch in gb2312_hanzi():
            f.write(f'char\t{ch}\n')


def build(chars_path, script_path, out, per, contexts):
    chars = [line.rstrip('\n').split('\t')[1] for line in open(chars_path, encoding='utf-8')]
    reading_of = {}
    for line in open(script_path, encoding='utf-8'):
        ident, tokens = line.rstrip('\n').split('\t')
        syllables = [t for t in tokens.split() if t not in (',', '.')]
        if len(syllables) == 1:
            reading_of[chars[int(ident[1:]) - 1]] = syllables[0]
    by_reading = {}
    for ch in chars:
        r = reading_of.get(ch)
        if r is not None:
            by_reading.setdefault(r, []).append(ch)
    readings = sorted(by_reading)
    rng = random.Random(20261210)
    count = 0
    with open(out, 'w', encoding='utf-8') as f:
        for context in range(contexts):
            picks = [by_reading[r][context % len(by_reading[r])] for r in readings]
            rng.shuffle(picks)
            for i in range(0, len(picks), per):
                f.write('coverage\t' + ''.join(picks[i:i + per]) + '。\n')
                count += 1
    print(f'{len(readings)} syllable-tone readings, {count} sentences', file=sys.stderr)


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == 'chars':
        write_chars(sys.argv[2])
        return 0
    if len(sys.argv) >= 5 and sys.argv[1] == 'build':
        args = sys.argv[5:]
        per = int(args[args.index('--per') + 1]) if '--per' in args else 8
        contexts = int(args[args.index('--contexts') + 1]) if '--contexts' in args else 2
        build(sys.argv[2], sys.argv[3], sys.argv[4], per, contexts)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == '__main__':
    sys.exit(main())
