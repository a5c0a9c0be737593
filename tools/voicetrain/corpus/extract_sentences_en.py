#!/usr/bin/env python3
"""Collects real English sentences from Debian's fortune packages.

Sources (installed by scripts/install-english-deps.sh): fortunes,
fortunes-min, /usr/share/games/fortunes/<name> (plain text, entries between
lines of "%"). Art, ASCII art and the pieces that are mostly code or lists
are left out; a sentence must be plain ASCII prose of 4 to 20 words.

Writes one sentence a line as "<source>\t<sentence>", de-duplicated, in a
fixed order (files by name, entries in file order), so the same packages
always give the same file.

Usage: extract_sentences_en.py OUT.tsv
"""
import os
import re
import subprocess
import sys

FOLDER = '/usr/share/games/fortunes'
SKIP = {'art', 'ascii-art', 'perl', 'translate-me', 'zippy', 'definitions', 'linux', 'linuxcookie', 'debian'}
SENTENCE = re.compile(r"[A-Z][^.!?]*[.!?]")
WORD = re.compile(r"[A-Za-z']+")
# Characters a sentence may hold besides letters and spaces.
PLAIN = re.compile(r"^[A-Za-z ,;:'.!?-]+$")


def entries(path):
    text = open(path, encoding='latin-1').read()
    for entry in text.split('\n%\n'):
        lines = [l.strip() for l in entry.splitlines()]
        # Attributions and indented verse lines are no prose.
        lines = [l for l in lines if l and not l.startswith('--') and not l.startswith('-- ')]
        yield ' '.join(lines)


def main():
    out = sys.argv[1]
    seen = set()
    rows = []
    listed = subprocess.run(['dpkg-query', '-L', 'fortunes', 'fortunes-min'], capture_output=True, text=True,
                            check=True).stdout.split()
    for path in sorted(set(p for p in listed if os.path.dirname(p) == FOLDER)):
        name = os.path.basename(path)
        if '.' in name or name in SKIP or not os.path.isfile(path):
            continue
        for entry in entries(path):
            entry = re.sub(r'\s+', ' ', entry.replace('"', ''))
            for m in SENTENCE.finditer(entry):
                s = m.group(0).strip()
                if not PLAIN.match(s) or '--' in s or "''" in s:
                    continue
                words = WORD.findall(s)
                if not 4 <= len(words) <= 20 or any(len(w) > 14 for w in words):
                    continue
                if sum(1 for w in words if w.isupper() and len(w) > 1) > 0:
                    continue  # shouting and acronyms read as letters
                key = s.lower()
                if key in seen:
                    continue
                seen.add(key)
                rows.append(f'fortunes/{name}\t{s}')
    with open(out, 'w') as f:
        f.write('\n'.join(rows) + '\n')
    print(f'{len(rows)} sentences', file=sys.stderr)


if __name__ == '__main__':
    main()
