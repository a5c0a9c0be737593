#!/usr/bin/env python3
"""Collects real modern Chinese sentences from Debian's documentation packages.

Sources (installed by scripts/install-voicetrain-deps.sh):
  manpages-zh            /usr/share/man/zh_CN/**/*.gz   (troff)
  fortunes-zh            /usr/share/games/fortunes/chinese (ANSI colour codes)
  debian-reference-zh-cn /usr/share/debian-reference/debian-reference.zh-cn.txt.gz

Writes one sentence a line as "<source>\t<sentence>", de-duplicated, in a
fixed order, so the same packages always give the same file.

Usage: extract_sentences.py OUT.tsv [--min 6] [--max 60]
"""
import argparse
import gzip
import glob
import os
import re
import sys

SENTENCE_END = re.compile(r'(?<=[。！？；])')
ANSI = re.compile(r'\x1b\[[0-9;]*[A-Za-z]')
TROFF_ESCAPE = re.compile(r'\\f[BIRP]|\\f\(..|\\\(..|\\[&|^e-]|\\s[+-]?\d')


# Words of modern written Chinese that classical verse rarely uses; a
# fortune without any of them is taken as classical and left out.
MODERN_MARKERS = set('的了是们这那吗呢么个就说要会没很')


def in_gb2312(text):
    try:
        text.encode('gb2312')
        return True
    except UnicodeEncodeError:
        return False


def is_hanzi(ch):
    return '\u4e00' <= ch <= '\u9fa5'


def chinese_share(text):
    letters = [c for c in text if not c.isspace()]
    if not letters:
        return 0.0
    return sum(1 for c in letters if is_hanzi(c)) / len(letters)


def troff_text(raw):
    lines = []
    for line in raw.splitlines():
        if line.startswith(('.', "'")):
            # Macro lines: keep the text of headings and paragraphs, drop the rest.
            parts = line.split(None, 1)
            if len(parts) == 2 and parts[0] in ('.SH', '.SS', '.B', '.I', '.BR', '.IR', '.RB', '.BI', '.IB', '.TP', '.IP'):
                lines.append(parts[1].replace('"', ''))
            continue
        lines.append(line)
    text = '\n'.join(lines)
    return TROFF_ESCAPE.sub('', text)


def read_sources():
    for path in sorted(glob.glob('/usr/share/man/zh_CN/**/*.gz', recursive=True)):
        try:
            raw = gzip.open(path).read().decode('utf-8')
        except (UnicodeDecodeError, OSError):
            continue
        yield 'manpages-zh', troff_text(raw)
    fortune = '/usr/share/games/fortunes/chinese'
    if os.path.exists(fortune):
        raw = open(fortune, 'rb').read().decode('utf-8', errors='replace')
        yield 'fortunes-zh', ANSI.sub('', raw).replace('%', '\n')
    reference = '/usr/share/debian-reference/debian-reference.zh-cn.txt.gz'
    if os.path.exists(reference):
        yield 'debian-reference-zh-cn', gzip.open(reference).read().decode('utf-8', errors='replace')


def sentences(text):
    # Lines inside a paragraph are joined; Chinese needs no space at the join.
    paragraphs = re.split(r'\n\s*\n', text)
    for paragraph in paragraphs:
        joined = ''.join(line.strip() for line in paragraph.splitlines())
        for piece in SENTENCE_END.split(joined):
            piece = piece.strip()
            if piece:
                yield piece


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('out')
    parser.add_argument('--min', type=int, default=6)
    parser.add_argument('--max', type=int, default=60)
    args = parser.parse_args()
    seen = set()
    counts = {}
    with open(args.out, 'w', encoding='utf-8') as out:
        for source, text in read_sources():
            for sentence in sentences(text):
                hanzi = sum(1 for c in sentence if is_hanzi(c))
                if hanzi < args.min or len(sentence) > args.max or chinese_share(sentence) < 0.7:
                    continue
                if '\t' in sentence or sentence in seen or not in_gb2312(sentence):
                    continue
                if source == 'fortunes-zh' and not MODERN_MARKERS.intersection(sentence):
                    continue
                seen.add(sentence)
                counts[source] = counts.get(source, 0) + 1
                out.write(f'{source}\t{sentence}\n')
    for source in sorted(counts):
        print(f'{source}: {counts[source]} sentences', file=sys.stderr)
    return 0 if counts else 1


if __name__ == '__main__':
    sys.exit(main())
