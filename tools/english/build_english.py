#!/usr/bin/env python3
"""Builds the front-end section payloads of the English library.

Sources (Debian packages, scripts/install-english-deps.sh):
  festlex-cmu    cmudict-0.4.out (syllabified CMU lexicon) and
                 cmu_lts_rules.scm (letter-to-sound trees)
  festlex-poslex wsj.wp39.poslexR (words with Penn tags and log probabilities)
  fortunes       English sentences for the phrase-break model

Writes into --out: lexicon.bin, exceptions.bin, lts.bin, poslex.bin,
breaks.bin (section payloads, engine/english/english_layout.txt), the
held-out words of the pronunciation measurement (heldout.txt) and a report.
Deterministic: the same packages give the same bytes.
"""

import argparse
import glob
import math
import os
import re
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lexicon"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from layout_description import Layout  # noqa: E402
import english_symbols as sym  # noqa: E402
import break_features  # noqa: E402

L = Layout.load("engine/english/english_layout.txt")
HERE = os.path.dirname(os.path.abspath(__file__))

CMU_DIR = "/usr/share/festival/dicts/cmu"
POSLEX = "/usr/share/festival/dicts/wsj.wp39.poslexR"
FORTUNES = "/usr/share/games/fortunes"

# Festival's part of speech in the CMU lexicon onto the engine's tags.
CMU_POS = {"n": sym.TAG_SUBST, "v": sym.TAG_VERB, "j": sym.TAG_ADJ, "dt": sym.TAG_ART}

HELDOUT_MODULUS = 100  # one word in this many is left out for the measurement


def heldout(word):
    return word.isalpha() and zlib.crc32(word.encode()) % HELDOUT_MODULUS == 0


# ---- Pronunciation dictionaries ----

def phone_bytes(phones):
    """[(name, stressed)] -> bytes of symbol indices with the stress flag."""
    out = bytearray()
    for name, stressed in phones:
        idx = sym.SYMBOL_INDEX[name]
        out.append(idx | (L.value("pron.stress_flag") if stressed else 0))
    return bytes(out)


def dictionary_payload(entries):
    """entries: {(word, tag): [(phone, stressed)]} -> payload bytes."""
    head = L.record("pron.entry_head")
    keys = sorted(entries, key=lambda k: (k[0].encode(), k[1]))
    blobs = []
    for word, tag in keys:
        w = word.encode()
        ph = phone_bytes(entries[(word, tag)])
        blobs.append(head.pack(len(w), tag, len(ph)) + w + ph)
    index = L.record("pron.index_entry")
    base = L.record("pron.header").size + index.size * len(blobs)
    out = bytearray(L.record("pron.header").pack(len(blobs)))
    pos = base
    for b in blobs:
        out += index.pack(pos)
        pos += len(b)
    for b in blobs:
        out += b
    return bytes(out)


def read_cmu(report):
    entries, held = {}, {}
    pat = re.compile(r'^\("(.*)" (\S+) \((.*)\)\)\s*$')
    syl = re.compile(r"\(\(([a-z ]+)\) ([01])\)")
    skipped = 0
    with open(os.path.join(CMU_DIR, "cmudict-0.4.out"), encoding="latin-1") as f:
        for line in f:
            m = pat.match(line)
            if not m:
                continue
            word = m.group(1).lower()
            tag = CMU_POS.get(m.group(2), L.value("pron.any_tag"))
            phones = []
            for ph, stress in syl.findall(m.group(3)):
                for p in ph.split():
                    phones.append((p, stress == "1" and p in sym.VOWELS))
            w = word.encode()
            if (not phones or len(w) > L.value("pron.max_word_bytes") or len(phones) > L.value("pron.max_phones")
                    or not all(33 <= c < 127 and c != 34 for c in w)):
                skipped += 1
                continue
            target = held if heldout(word) else entries
            target.setdefault((word, tag), phones)
    report.append("lexicon: %d entries, %d held out, %d skipped" % (len(entries), len(held), skipped))
    return entries, held


def read_exceptions(path):
    entries = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].rstrip("\n")
            if not line.strip():
                continue
            word, tag, phones = line.split("\t")
            tag = L.value("pron.any_tag") if tag == "*" else sym.TAGS.index(tag)
            ph = []
            for p in phones.split():
                ph.append((p.rstrip("01"), p.endswith("1")))
            entries[(word, tag)] = ph
    return entries


# ---- Letter-to-sound trees ----

def parse_sexpr(text):
    tokens = re.findall(r"\(|\)|[^\s()]+", text)
    pos = 0

    def parse():
        nonlocal pos
        t = tokens[pos]
        pos += 1
        if t == "(":
            out = []
            while tokens[pos] != ")":
                out.append(parse())
            pos += 1
            return out
        return t

    return parse()


FEATURE_OFFSET = {"p.p.p.name": -3, "p.p.name": -2, "p.name": -1, "name": 0, "n.name": 1, "n.n.name": 2,
                  "n.n.n.name": 3}


def lts_payload(report):
    with open(os.path.join(CMU_DIR, "cmu_lts_rules.scm"), encoding="latin-1") as f:
        text = f.read()
    text = re.sub(r";[^\n]*", "", text)
    start = text.index("'(") + 1
    rules = parse_sexpr(text[start:])
    window = L.value("lts.window")
    node = L.record("lts.node")
    leaf = L.value("lts.leaf_position")
    phones = {"": 0}
    trees = {}
    for rule in rules:
        letter, tree = rule[0], rule[1]
        nodes = []

        def emit(t):
            i = len(nodes)
            nodes.append(None)
            if isinstance(t[0], list) and len(t) == 3 and isinstance(t[0][0], str) and t[0][1] == "is":
                feat, _, value = t[0]
                yes = emit(t[1])
                no = emit(t[2])
                nodes[i] = (window + FEATURE_OFFSET[feat], ord(value), yes, no)
            else:
                name = t[0][-1]
                name = "" if name == "_epsilon_" else name
                if name not in phones:
                    phones[name] = len(phones)
                nodes[i] = (leaf, phones[name], 0, 0)
            return i

        emit(tree)
        trees[letter] = nodes
    if len(phones) > 255:
        raise SystemExit("lts: more phone strings than a leaf byte can name")
    letters = L.value("lts.letters")
    tree_rec = L.record("lts.tree")
    header = L.record("lts.header")
    body = bytearray()
    table = bytearray()
    first = 0
    for k in range(letters):
        nodes = trees.get(chr(ord("a") + k), [])
        if len(nodes) > 0xFFFF:
            raise SystemExit("lts: tree too large")
        table += tree_rec.pack(first, len(nodes))
        for n in nodes:
            body += node.pack(*n)
        first += len(nodes)
    names = sorted(phones, key=phones.get)
    plist = struct.pack("<H", len(names)) + b"".join(n.encode() + b"\0" for n in names)
    offset = header.size + len(table) + len(body)
    out = header.pack(window, L.value("lts.boundary"), L.value("lts.padding"), letters, offset) + table + body + plist
    report.append("lts: %d nodes, %d phone strings" % (first, len(names)))
    return bytes(out)


# ---- Part-of-speech lexicon ----

def read_poslex():
    pat = re.compile(r'^\("(.*)" \((.*)\) \(\) \)\s*$')
    cand = re.compile(r"\((\S+) (-?[0-9.]+)\)")
    words = {}
    with open(POSLEX, encoding="latin-1") as f:
        for line in f:
            m = pat.match(line)
            if not m:
                continue
            word = m.group(1).lower()
            if word != m.group(1) and not word.isalpha():
                pass
            for penn, logp in cand.findall(m.group(2)):
                tag = sym.PENN_TO_TAG.get(penn)
                if tag is None:
                    continue
                d = words.setdefault(word, {})
                lp = float(logp)
                # Several tags of one class, or case variants: add the probabilities.
                d[tag] = lp if tag not in d else max(d[tag], lp) + math.log1p(math.exp(-abs(d[tag] - lp)))
    return words


def pos_score(logp):
    v = int(round(logp * L.value("pos.score_per_nat")))
    return max(-32768, min(32767, v))


def poslex_payload(words, report):
    head = L.record("pos.entry_head")
    cand = L.record("pos.candidate")
    index = L.record("pos.index_entry")
    blobs = []
    for word in sorted(words, key=lambda w: w.encode("latin-1")):
        w = word.encode("latin-1")
        if len(w) > L.value("pron.max_word_bytes") or len(w) == 0:
            continue
        cands = sorted(words[word].items())[: L.value("pos.max_candidates")]
        blob = head.pack(len(w), len(cands)) + w + b"".join(cand.pack(t, pos_score(s)) for t, s in cands)
        blobs.append(blob)
    base = L.record("pos.header").size + index.size * len(blobs)
    out = bytearray(L.record("pos.header").pack(len(blobs)))
    pos = base
    for b in blobs:
        out += index.pack(pos)
        pos += len(b)
    for b in blobs:
        out += b
    report.append("part-of-speech lexicon: %d words" % len(blobs))
    return bytes(out)


# ---- Phrase-break model ----

def fortune_sentences():
    files = sorted(p for p in glob.glob(os.path.join(FORTUNES, "*"))
                   if os.path.isfile(p) and "." not in os.path.basename(p))
    for path in files:
        with open(path, encoding="latin-1") as f:
            text = f.read()
        for cookie in text.split("\n%\n"):
            lines = [ln for ln in cookie.split("\n") if not ln.strip().startswith("--")]
            joined = " ".join(ln.strip() for ln in lines)
            if not joined.isascii():
                continue
            for s in re.split(r"(?<=[.!?;])\s+", joined):
                s = s.strip()
                if s:
                    yield s


def break_payload(poslex, report):
    examples = []
    for sentence in fortune_sentences():
        toks = break_features.labelled_tokens(sentence)
        if 4 <= len(toks) <= 60:
            examples.append(toks)
    tagger = break_features.Tagger(poslex)
    train, test = [], []
    for i, toks in enumerate(examples):
        (test if i % 10 == 0 else train).append(toks)
    model = break_features.train(train, tagger)
    stats = break_features.evaluate(model, test, tagger)
    words = model["words"]
    word_blob = b"".join(w.encode() + b"\0" for w in words)
    entries = model["entries"]
    if len(entries) > L.value("break.max_entries"):
        raise SystemExit("breaks: too many entries")
    head = L.record("break.header").pack(len(words), len(word_blob), len(entries))
    rec = L.record("break.entry")
    body = b"".join(rec.pack(f, 0, v, a, b) for (f, v), (a, b) in sorted(entries.items()))
    report.append("phrase breaks: %d training sentences, %d test sentences, %d entries, %d words" %
                  (len(train), len(test), len(entries), len(words)))
    report.append("phrase breaks on the test sentences: %s" % stats)
    return head + word_blob + body


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--out", default="build/english")
    ap.add_argument("--exceptions", default=os.path.join(HERE, "exceptions.txt"))
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    report = []
    entries, held = read_cmu(report)
    with open(os.path.join(args.out, "lexicon.bin"), "wb") as f:
        f.write(dictionary_payload(entries))
    exc = read_exceptions(args.exceptions)
    report.append("exceptions: %d entries" % len(exc))
    with open(os.path.join(args.out, "exceptions.bin"), "wb") as f:
        f.write(dictionary_payload(exc))
    with open(os.path.join(args.out, "heldout.txt"), "w", encoding="utf-8") as f:
        for (word, tag), phones in sorted(held.items()):
            f.write("%s\t%s\n" % (word, " ".join(p + ("1" if s else "0" if p in sym.VOWELS else "")
                                                 for p, s in phones)))
    with open(os.path.join(args.out, "lts.bin"), "wb") as f:
        f.write(lts_payload(report))
    poslex = read_poslex()
    with open(os.path.join(args.out, "poslex.bin"), "wb") as f:
        f.write(poslex_payload(poslex, report))
    with open(os.path.join(args.out, "breaks.bin"), "wb") as f:
        f.write(break_payload(poslex, report))
    with open(os.path.join(args.out, "english-report.txt"), "w") as f:
        f.write("\n".join(report) + "\n")
    print("\n".join(report))


if __name__ == "__main__":
    main()
