#!/usr/bin/env python3
"""Syllable accuracy of the Chinese front end against pinyin-pro.

Every Chinese character of real sentences (manpages-zh, fortunes-zh) is read
by kvo-analyze (citation tones: the readings the front end chose before tone
sandhi) and by pinyin-pro (tone sandhi off); a character counts as right when
spelling and tone agree (lve/nve taken as lue/nue). 一 and 不 are left out: pinyin-pro gives them one
fixed reading whatever the context, by design.

Usage:
  pinyin_accuracy.py --analyze KVO_ANALYZE --cnlib LIBRARY --sentences TSV
                     --node-modules DIR [--report FILE] [--errors FILE]

TSV: "<source>\\t<sentence>" lines (tools/voicetrain/corpus/extract_sentences.py);
only the sources manpages-zh and fortunes-zh are used.
"""
import argparse
import collections
import json
import os
import subprocess
import sys
import tempfile

SOURCES = ('manpages-zh', 'fortunes-zh')
EXCLUDED = {'一': 'yi1 by design', '不': 'bu4 by design'}
# pinyin-pro writes lüe as lve/nve; the syllable table spells it lue/nue.
SPELLING = {'lve': 'lue', 'nve': 'nue'}
HERE = os.path.dirname(os.path.abspath(__file__))


def is_hanzi(ch):
    return '\u4e00' <= ch <= '\u9fa5'


def read_sentences(path):
    sentences = []
    with open(path, encoding='utf-8') as f:
        for line in f:
            source, _, text = line.rstrip('\n').partition('\t')
            if source in SOURCES and text:
                sentences.append((source, text))
    return sentences


def node(args, lines, node_modules):
    env = dict(os.environ, NODE_PATH=node_modules)
    done = subprocess.run(['node', os.path.join(HERE, 'pinyin_pro_readings.cjs')] + args,
                          input='\n'.join(lines) + '\n', capture_output=True, text=True, env=env, check=True)
    return [json.loads(line) for line in done.stdout.splitlines()]


def front_end_readings(analyze, cnlib, lines):
    """(character, reading, word, tag) of every hanzi, in text order."""
    with tempfile.NamedTemporaryFile('w', encoding='utf-8', suffix='.txt', delete=False) as f:
        f.write('\n'.join(lines) + '\n')
        path = f.name
    try:
        done = subprocess.run([analyze, '--cnlib', cnlib, '-f', path], capture_output=True, text=True,
                              check=True)
    finally:
        os.unlink(path)
    out = []
    for line in done.stdout.splitlines():
        if not line or line.startswith('# ') or line.startswith('@'):
            continue
        fields = line.split('\t')
        if len(fields) != 4:
            continue
        word, tag, citation = fields[0], fields[1], fields[2].split(' ')
        if len(citation) != len(word):
            continue  # escaped or bracketed text: no hanzi in it
        for ch, reading in zip(word, citation):
            if is_hanzi(ch):
                out.append((ch, reading, word, tag))
    return out


def align(ours, reference):
    """(our entry, reference reading, sentence number) over equal characters."""
    ref_chars = ''.join(entry[0] for entry in reference)
    our_chars = ''.join(entry[0] for entry in ours)
    if ref_chars == our_chars:
        return [(o, r[1], r[2]) for o, r in zip(ours, reference)], 0
    import difflib
    pairs = []
    matcher = difflib.SequenceMatcher(None, our_chars, ref_chars, autojunk=False)
    for a, b, size in matcher.get_matching_blocks():
        pairs.extend((ours[a + k], reference[b + k][1], reference[b + k][2]) for k in range(size))
    return pairs, len(ref_chars) - len(pairs)


def same_spelling(reading):
    syllable, tone = split_tone(reading)
    return SPELLING.get(syllable, syllable) + tone


def split_tone(reading):
    if reading and reading[-1].isdigit():
        return reading[:-1], reading[-1]
    return reading, ''


def classify(ours, theirs, word, polyphonic):
    if ours == '-':
        return 'no reading'
    our_syl, our_tone = split_tone(ours)
    ref_syl, ref_tone = split_tone(theirs)
    if our_syl == ref_syl:
        if '5' in (our_tone, ref_tone):
            return 'tone: neutral against full'
        return 'tone: polyphonic character' if polyphonic else 'tone: single-reading character'
    where = 'one-character word' if len(word) == 1 else 'lexicon word'
    kind = 'polyphonic character' if polyphonic else 'single-reading character'
    return f'syllable: {kind} in a {where}'


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--analyze', required=True)
    parser.add_argument('--cnlib', required=True)
    parser.add_argument('--sentences', required=True)
    parser.add_argument('--node-modules', required=True)
    parser.add_argument('--report')
    parser.add_argument('--errors', help='write every disagreement here (TSV)')
    args = parser.parse_args()

    sentences = read_sentences(args.sentences)
    if not sentences:
        print('pinyin_accuracy: no sentences from ' + ', '.join(SOURCES), file=sys.stderr)
        return 1
    texts = [text for _, text in sentences]
    reference_lines = node([], texts, args.node_modules)
    reference = [(ch, same_spelling(r), n) for n, line in enumerate(reference_lines) for ch, r in line if is_hanzi(ch)]
    ours = front_end_readings(args.analyze, args.cnlib, texts)
    pairs, unaligned = align(ours, reference)

    distinct = sorted({entry[0] for entry, _, _ in pairs})
    readings = node(['--multiple'], distinct, args.node_modules)
    polyphonic = {ch for ch, r in zip(distinct, readings) if len(set(r)) > 1}

    compared = right = 0
    excluded = collections.Counter()
    classes = collections.Counter()
    confusions = collections.Counter()
    examples = {}
    errors = []
    for (ch, mine, word, tag), theirs, sentence in pairs:
        if ch in EXCLUDED:
            excluded[ch] += 1
            continue
        compared += 1
        if mine == theirs:
            right += 1
            continue
        cls = classify(mine, theirs, word, ch in polyphonic)
        classes[cls] += 1
        confusions[(ch, mine, theirs)] += 1
        examples.setdefault((ch, mine, theirs), word)
        errors.append((ch, mine, theirs, word, tag, cls, texts[sentence]))

    by_source = collections.Counter(source for source, _ in sentences)
    lines = []
    lines.append('Pinyin accuracy of the front end (citation tones) against pinyin-pro')
    lines.append('sentences: ' + ', '.join(f'{s} {by_source[s]}' for s in SOURCES))
    lines.append(f'characters compared: {compared}  right: {right}  accuracy: {100.0 * right / compared:.2f}%')
    lines.append('left out: ' + ', '.join(f'{ch} {n} ({EXCLUDED[ch]})' for ch, n in sorted(excluded.items())) +
                 f'; not aligned: {unaligned}')
    wrong = compared - right
    lines.append(f'errors by class ({wrong}):')
    for cls, n in classes.most_common():
        lines.append(f'  {n:6d}  {100.0 * n / max(wrong, 1):5.1f}%  {cls}')
    lines.append('most frequent disagreements (character: ours / pinyin-pro, count, example word):')
    for (ch, mine, theirs), n in confusions.most_common(40):
        lines.append(f'  {ch}: {mine} / {theirs}  {n}  {examples[(ch, mine, theirs)]}')
    report = '\n'.join(lines) + '\n'
    sys.stdout.write(report)
    if args.report:
        with open(args.report, 'w', encoding='utf-8') as f:
            f.write(report)
    if args.errors:
        with open(args.errors, 'w', encoding='utf-8') as f:
            f.write('character\tours\tpinyin-pro\tword\ttag\tclass\tsentence\n')
            for row in errors:
                f.write('\t'.join(row) + '\n')
    return 0


if __name__ == '__main__':
    sys.exit(main())
