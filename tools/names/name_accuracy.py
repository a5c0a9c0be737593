#!/usr/bin/env python3
"""Measures the reading of person names: syllable accuracy of
`kvo-analyze --citation` over sentences with names and controls (the
measure of tools/normalisation/reading_accuracy.py), and how many of the
listed names the front end makes a name word (tagged nr, or nrf for a
surname standing alone).

  name_accuracy.py --analyze build/bin/kvo-analyze --data data \\
      [--sentences tools/names/name_sentences.tsv] [--show-errors]

Each line: text<TAB>reading in Chinese characters<TAB>names separated by
、 (- for none). A name counts as found when a word tagged nr or nrf holds
it; name words in the control sentences (no names listed) are counted as
false names.
"""
import argparse
import pathlib
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "normalisation"))
from reading_accuracy import distance, readings, syllables  # noqa: E402

NAME_TAGS = ("nr", "nrf")


def name_words(analyze, data, text):
    run = subprocess.run([analyze, "--data", data, text], capture_output=True, text=True, check=False)
    if run.returncode != 0:
        sys.exit(f"kvo-analyze failed on {text!r}: {run.stderr.strip()}")
    words = []
    for line in run.stdout.splitlines():
        fields = line.split("\t")
        if len(fields) == 4 and fields[1] in NAME_TAGS:
            words.append(fields[0])
    return words


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--analyze", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--sentences", default=str(HERE / "name_sentences.tsv"))
    parser.add_argument("--show-errors", action="store_true")
    args = parser.parse_args()

    rows = []
    for line in pathlib.Path(args.sentences).read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.startswith("#"):
            text, reading, names = line.split("\t")
            rows.append((text, reading, [] if names == "-" else names.split("、")))

    total = errors = perfect = 0
    listed = found = false_names = 0
    for text, reading, names in rows:
        spoken = syllables(args.analyze, args.data, [text])[0]
        best = None
        for candidate in readings(reading):
            expected = syllables(args.analyze, args.data, [candidate])[0]
            d = distance(expected, spoken)
            if best is None or d < best[0]:
                best = (d, expected)
        d, expected = best
        total += len(expected)
        errors += min(d, len(expected))
        perfect += d == 0
        words = name_words(args.analyze, args.data, text)
        missed = [n for n in names if not any(n in w for w in words)]
        listed += len(names)
        found += len(names) - len(missed)
        if not names:
            false_names += len(words)
        if args.show_errors and (d or missed or (not names and words)):
            print(f"{d:3d}  {text}\n     want {' '.join(expected)}\n     got  {' '.join(spoken)}")
            if missed:
                print(f"     missed {'、'.join(missed)}")
            if not names and words:
                print(f"     name words {'、'.join(words)}")
    accuracy = 1 - errors / total if total else 0.0
    print(f"sentences {len(rows)}, all right {perfect}; syllables {total}, errors {errors}, accuracy {accuracy:.2%}")
    print(f"names {listed}, found {found}, missed {listed - found}; name words in controls {false_names}")


if __name__ == "__main__":
    main()
