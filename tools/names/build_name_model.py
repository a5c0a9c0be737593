#!/usr/bin/env python3
"""Builds the person-name model section of the Chinese library.

  build_name_model.py --sources DIR --out DIR     from the public data
  build_name_model.py --lists FILE --out DIR      from a written list file

--sources is the folder the lexicon's npm data packages are unpacked into
(scripts/install-lexicon-deps.sh): the surname list of pinyin-pro and the
person names of the jieba dictionary (tags nr and nrfg). Writes
name_model.bin (the section payload) and name_lists.txt (the four lists as
characters, the form --lists reads).

The lists:
  surnames  single-character surnames (pinyin-pro's surname list)
  single    characters of one-character given names
  first     first characters of two-character given names
  second    second characters of two-character given names
A given name is what follows a known surname (single or compound) in a
jieba person name of two to four characters. A character enters a given-name
list when at least MIN_SINGLE (one-character names) or MIN_DOUBLE
(two-character names) distinct names use it there; the dictionary holds few
names with a one-character given name, so a character that ends at least
MIN_SECOND_AS_SINGLE two-character given names (伟, 杰, 芳) counts as a
one-character given name too. Not kept: a character that the dictionary
reads alone as a function word (particle, preposition, conjunction,
pronoun, interjection): jieba's name entries are noisy, and such characters
would turn ordinary sentences into names.

Payload: four uint16 byte sizes, then the four lists of uint16 internal
codes (GBK lead byte low, trail byte high), each in ascending order; only
GB2312 hanzi are kept. Every step is deterministic.
"""
import argparse
import collections
import pathlib
import re
import struct
import sys

JIEBA_DICT = "nodejieba/package/submodules/cppjieba/dict/jieba.dict.utf8"
SURNAMES = "pinyin-pro/package/dist/esm/data/surname.mjs"
LISTS = ("surnames", "single", "first", "second")
NAME_TAGS = ("nr", "nrfg")
FUNCTION_TAGS = ("u", "p", "c", "r", "y", "e", "o")
MIN_SINGLE = 2
MIN_DOUBLE = 3
MIN_SECOND_AS_SINGLE = 15


def read_surnames(path):
    """(single-character surnames, two-character surnames) of pinyin-pro."""
    text = path.read_text(encoding="utf-8")
    body = text[text.index("{"):text.index("};")]
    keys = re.findall(r"^\s+([^\s:']+):\s*'", body, re.M)
    return sorted(k for k in keys if len(k) == 1), sorted(k for k in keys if len(k) == 2)


def read_jieba(path):
    """[(word, tag)] and {character: tag} of single-character entries."""
    words, alone = [], {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) != 3:
                continue
            words.append((parts[0], parts[2]))
            if len(parts[0]) == 1:
                alone[parts[0]] = parts[2]
    return words, alone


def given_name_lists(words, alone, single_surnames, compound_surnames):
    singles, compounds = set(single_surnames), set(compound_surnames)
    given_names = {}  # full name -> given name; each name counts once
    for word, tag in words:
        if tag not in NAME_TAGS:
            continue
        if len(word) in (3, 4) and word[:2] in compounds:
            given_names[word] = word[2:]
        elif len(word) in (2, 3) and word[0] in singles:
            given_names[word] = word[1:]
    counts = {"single": collections.Counter(), "first": collections.Counter(), "second": collections.Counter()}
    for given in given_names.values():
        if len(given) == 1:
            counts["single"][given] += 1
        elif len(given) == 2:
            counts["first"][given[0]] += 1
            counts["second"][given[1]] += 1
    def kept(counter, minimum):
        return {c for c, n in counter.items() if n >= minimum and not alone.get(c, "").startswith(FUNCTION_TAGS)}

    return {
        "single": sorted(kept(counts["single"], MIN_SINGLE) | kept(counts["second"], MIN_SECOND_AS_SINGLE)),
        "first": sorted(kept(counts["first"], MIN_DOUBLE)),
        "second": sorted(kept(counts["second"], MIN_DOUBLE)),
    }


def internal_code(char):
    """The internal code of a GB2312 hanzi, or None."""
    try:
        b = char.encode("gb2312")
    except UnicodeEncodeError:
        return None
    if len(b) != 2 or not (0xB0 <= b[0] <= 0xF7 and 0xA1 <= b[1] <= 0xFE):
        return None
    return b[0] | (b[1] << 8)


def payload(lists):
    codes = []
    for name in LISTS:
        codes.append(sorted({c for c in (internal_code(ch) for ch in lists[name]) if c is not None}))
    out = bytearray()
    for c in codes:
        out += struct.pack("<H", 2 * len(c))
    for c in codes:
        out += struct.pack(f"<{len(c)}H", *c)
    return bytes(out), codes


def write_lists(path, lists, comment):
    lines = [f"# {comment}", "# list<TAB>characters; the lists of the person-name model section"]
    for name in LISTS:
        lines.append(f"{name}\t{''.join(sorted(lists[name]))}")
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")


def read_lists(path):
    lists = {name: [] for name in LISTS}
    for line in path.read_text(encoding="utf-8").splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        name, _, chars = line.partition("\t")
        if name not in lists:
            sys.exit(f"build_name_model: {path}: unknown list {name!r}")
        lists[name].extend(ch for ch in chars.strip() if not ch.isspace())
    return lists


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sources", type=pathlib.Path)
    parser.add_argument("--lists", type=pathlib.Path)
    parser.add_argument("--out", type=pathlib.Path, required=True)
    args = parser.parse_args()
    if (args.sources is None) == (args.lists is None):
        parser.error("give either --sources or --lists")
    if args.sources is not None:
        singles, compounds = read_surnames(args.sources / SURNAMES)
        words, alone = read_jieba(args.sources / JIEBA_DICT)
        lists = {"surnames": singles}
        lists.update(given_name_lists(words, alone, singles, compounds))
        comment = "built by tools/names/build_name_model.py from pinyin-pro's surnames and jieba's person names"
    else:
        lists = read_lists(args.lists)
        comment = f"from {args.lists.name}"
    data, codes = payload(lists)
    args.out.mkdir(parents=True, exist_ok=True)
    (args.out / "name_model.bin").write_bytes(data)
    write_lists(args.out / "name_lists.txt", lists, comment)
    sizes = ", ".join(f"{name} {len(c)}" for name, c in zip(LISTS, codes))
    print(f"name model: {len(data)} bytes ({sizes})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
