#!/usr/bin/env python3
"""Measures how well the front end reads digits, symbols and units.

Each line of the sentence file holds a text and its reading written out in
Chinese characters ({a|b} marks readings that are equally right), and
optionally syllable corrections "wei4>wei2" for characters whose reading the
written-out form alone does not settle (a polyphone whose reading depends on
the digits that follow it in the text). Both go
through `kvo-analyze --citation`; the syllables of the text are compared
with those of the best matching reading by edit distance, so a wrong,
missing or extra syllable each count once. Accuracy = 1 - errors / syllables
of the reading.

  reading_accuracy.py --analyze build/bin/kvo-analyze --data data \\
      [--sentences tools/normalisation/reading_sentences.tsv] [--show-errors]
"""
import argparse
import itertools
import pathlib
import re
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
CHOICE = re.compile(r"\{([^{}]*)\}")


def readings(text):
    parts = CHOICE.split(text)
    literal, choices = parts[0::2], [p.split("|") for p in parts[1::2]]
    for picked in itertools.product(*choices):
        out = literal[0]
        for choice, rest in zip(picked, literal[1:]):
            out += choice + rest
        yield out


def syllables(analyze, data, texts):
    """One list of citation syllables per text (its sentences joined)."""
    result = []
    for text in texts:
        run = subprocess.run([analyze, "--data", data, "--citation", text], capture_output=True, text=True,
                             check=False)
        if run.returncode != 0:
            sys.exit(f"kvo-analyze failed on {text!r}: {run.stderr.strip()}")
        result.append(run.stdout.split())
    return result


def distance(a, b):
    row = list(range(len(b) + 1))
    for i, x in enumerate(a, 1):
        prev, row[0] = row[0], i
        for j, y in enumerate(b, 1):
            prev, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, prev + (x != y))
    return row[-1]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--analyze", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--sentences", default=str(HERE / "reading_sentences.tsv"))
    parser.add_argument("--show-errors", action="store_true")
    args = parser.parse_args()

    pairs = []
    for line in pathlib.Path(args.sentences).read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.startswith("#"):
            fields = line.split("\t")
            fixes = dict(f.split(">") for f in fields[2].split(",")) if len(fields) > 2 and fields[2] else {}
            pairs.append((fields[0], fields[1], fixes))

    total = errors = perfect = 0
    for text, reading, fixes in pairs:
        spoken = syllables(args.analyze, args.data, [text])[0]
        best = None
        for candidate in readings(reading):
            expected = [fixes.get(s, s) for s in syllables(args.analyze, args.data, [candidate])[0]]
            d = distance(expected, spoken)
            if best is None or d < best[0]:
                best = (d, expected)
        d, expected = best
        total += len(expected)
        errors += min(d, len(expected))
        perfect += d == 0
        if d and args.show_errors:
            print(f"{d:3d}  {text}\n     want {' '.join(expected)}\n     got  {' '.join(spoken)}")
    accuracy = 1 - errors / total if total else 0.0
    print(f"sentences {len(pairs)}, all right {perfect}; syllables {total}, errors {errors}, "
          f"accuracy {accuracy:.2%}")


if __name__ == "__main__":
    main()
