#!/usr/bin/env python3
"""Builds the prosodic word and phrase boundary models (library sections 2
and 3) from real sentences labelled by our heuristic (heuristic_labels.py).

Usage:
  build_boundaries.py --sentences SENTENCES.tsv --dict jieba.dict.utf8 --out DIR
      [--max-entries 2048] [--max-words 255] [--epochs 8] [--holdout 10]

Sentences are "<source>\\t<sentence>" lines (tools/voicetrain/corpus/
extract_sentences.py). Every tenth sentence (by default) is held out; the
report gives the agreement of the quantised models with the heuristic on
them and the phrase-length distribution. --max-entries caps the feature
entries of each model (the strongest weights are kept), which bounds the
arena copy at 4 × keys + 8 × entries bytes per model.
"""
import argparse
import collections
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import boundary_model as bm  # noqa: E402
import heuristic_labels as hl  # noqa: E402
from segmenter import Segmenter  # noqa: E402

WEIGHT_SCALE = 1000      # largest |weight| after quantisation


class Sentence:
    def __init__(self, words, pw, ph):
        self.words = words  # FeatureWord
        self.pw = pw
        self.ph = ph


def load_sentences(path, segmenter):
    out = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            text = line.rstrip("\n").split("\t")[-1]
            words = segmenter.cut(text)[:bm.MAX_WORDS]
            if len(words) < 2:
                continue
            try:
                fwords = [bm.FeatureWord(w.text[:bm.MAX_WORD_CHARS], w.tag, w.is_mark) for w in words]
            except UnicodeEncodeError:
                continue
            pw, ph = hl.label(words)
            out.append(Sentence(fwords, pw, ph))
    return out


def choose_keys(train, max_words):
    count = collections.Counter()
    for s in train:
        for w in s.words:
            count[bm.word_key(w.codes)] += 1
    return bm.WordKeys([k for k, _ in count.most_common(max_words)])


def examples(sentence, keys, phrase_model, labels=None):
    """(index, features, gold) of the words the model decides; the phrase
    model counts feature 21 from the last gold phrase start."""
    gold = sentence.ph if phrase_model else sentence.pw
    start = 0
    for k, w in enumerate(sentence.words):
        if phrase_model and w.is_quote:
            continue
        yield k, bm.features(sentence.words, k, keys, phrase_model, start), gold[k]
        if phrase_model and gold[k]:
            start = k


def train(train_set, keys, phrase_model, epochs):
    """Averaged perceptron over one score per feature (for minus against)."""
    w = collections.defaultdict(float)
    total = collections.defaultdict(float)
    stamp = collections.defaultdict(int)
    step = 0
    for _ in range(epochs):
        for s in train_set:
            for k, feats, gold in examples(s, keys, phrase_model):
                if k == 0:
                    continue  # the first word always starts both
                step += 1
                predicted = sum(w[f] for f in feats) >= 0
                if predicted != gold:
                    delta = 1.0 if gold else -1.0
                    for f in feats:
                        total[f] += (step - stamp[f]) * w[f]
                        stamp[f] = step
                        w[f] += delta
    for f in list(w):
        total[f] += (step - stamp[f]) * w[f]
    return {f: total[f] / step for f in total if total[f] != 0.0}


def quantise(avg, max_entries):
    strongest = sorted(avg.items(), key=lambda kv: -abs(kv[1]))[:max_entries]
    if not strongest:
        return {}
    scale = WEIGHT_SCALE / max(abs(v) for _, v in strongest)
    out = {}
    for f, v in strongest:
        q = int(round(v * scale))
        if q > 0:
            out[f] = (0, q)
        elif q < 0:
            out[f] = (-q, 0)
    return out


def vote(weights, feats):
    against = sum(weights.get(f, (0, 0))[0] for f in feats)
    for_ = sum(weights.get(f, (0, 0))[1] for f in feats)
    return for_ >= against


def predict_sentence(s, keys, pw_weights, ph_weights):
    """The engine's decisions for one sentence; word 0 is reported as the
    engine leaves it (the item builder starts both there anyway)."""
    pw = [vote(pw_weights, bm.features(s.words, k, keys, False)) for k in range(len(s.words))]
    ph = [False] * len(s.words)
    start = 0
    for k, w in enumerate(s.words):
        if w.is_quote:
            continue
        if vote(ph_weights, bm.features(s.words, k, keys, True, start)):
            ph[k] = True
            pw[k] = True
            start = k
        elif len(w.codes) == 1 and w.codes[0] in bm.BUILDING_CODES:
            prev, nxt = bm.neighbours(s.words, k, True)
            if prev and nxt and s.words[prev[0]].tag == bm.UNKNOWN_RUN_TAG:
                ph[nxt[0]] = pw[nxt[0]] = True
    return pw, ph


def write_check(path, sentences, keys, pw_weights, ph_weights):
    """Sentences with the builder's decisions, for the engine's test that
    both sides extract the same features: per sentence a line of words
    (hex codes joined by '.', then ':tag:class') and a line of flags."""
    with open(path, "w", encoding="utf-8") as f:
        for s in sentences:
            pw, ph = predict_sentence(s, keys, pw_weights, ph_weights)
            f.write(" ".join("%s:%d:%d" % (".".join("%04x" % c for c in w.codes), w.tag, w.word_class)
                             for w in s.words) + "\n")
            f.write(" ".join("%x" % ((bm.STARTS_PROSODIC_WORD if a else 0) | (bm.STARTS_PHRASE if b else 0)) for a, b in zip(pw, ph)) + "\n")


class Agreement:
    def __init__(self):
        self.tp = self.fp = self.fn = self.tn = 0

    def add(self, gold, predicted):
        for g, p in zip(gold[1:], predicted[1:]):
            if g and p:
                self.tp += 1
            elif p:
                self.fp += 1
            elif g:
                self.fn += 1
            else:
                self.tn += 1

    def line(self, name):
        n = self.tp + self.fp + self.fn + self.tn
        prec = self.tp / max(1, self.tp + self.fp)
        rec = self.tp / max(1, self.tp + self.fn)
        f1 = 2 * prec * rec / max(1e-9, prec + rec)
        return ("%-15s words %6d  agreement %.1f%%  boundary precision %.1f%% recall %.1f%% F1 %.1f%%"
                % (name, n, 100.0 * (self.tp + self.tn) / max(1, n), 100 * prec, 100 * rec, 100 * f1))


def phrase_lengths(sentences, flags_of):
    """Characters per phrase (quotes and punctuation not counted)."""
    hist = collections.Counter()
    for s in sentences:
        flags = flags_of(s)
        length = 0
        for k, w in enumerate(s.words):
            if flags[k] and k > 0:
                hist[length] += 1
                length = 0
            if w.word_class != bm.SYMBOL_CLASS:
                length += len(w.codes)
        hist[length] += 1
    return hist


def histogram_lines(name, hist):
    total = sum(hist.values())
    mean = sum(k * v for k, v in hist.items()) / max(1, total)
    bins = [(0, 0), (1, 2), (3, 4), (5, 6), (7, 8), (9, 10), (11, 12), (13, 16), (17, 24), (25, 999)]
    cells = []
    for lo, hi in bins:
        c = sum(v for k, v in hist.items() if lo <= k <= hi)
        label = str(lo) if lo == hi else ("%d-%d" % (lo, hi) if hi < 999 else "%d+" % lo)
        cells.append("%s:%.1f%%" % (label, 100.0 * c / max(1, total)))
    return "%-10s phrases %5d mean %.1f chars  %s" % (name, total, mean, "  ".join(cells))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--sentences", required=True)
    ap.add_argument("--dict", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--max-entries", type=int, default=2048)
    ap.add_argument("--max-words", type=int, default=bm.MAX_WORD_KEYS)
    ap.add_argument("--epochs", type=int, default=8)
    ap.add_argument("--holdout", type=int, default=10, help="hold out every Nth sentence")
    args = ap.parse_args()
    if not 0 <= args.max_words <= bm.MAX_WORD_KEYS:
        ap.error("--max-words must be 0 … %d" % bm.MAX_WORD_KEYS)

    segmenter = Segmenter(args.dict)
    sentences = load_sentences(args.sentences, segmenter)
    held = [s for i, s in enumerate(sentences) if i % args.holdout == args.holdout - 1]
    train_set = [s for i, s in enumerate(sentences) if i % args.holdout != args.holdout - 1]
    keys = choose_keys(train_set, args.max_words)

    pw_weights = quantise(train(train_set, keys, False, args.epochs), args.max_entries)
    ph_weights = quantise(train(train_set, keys, True, args.epochs), args.max_entries)

    os.makedirs(args.out, exist_ok=True)
    pw_bytes = bm.write_payload(os.path.join(args.out, "boundary_prosodic_words.bin"), keys, pw_weights)
    ph_bytes = bm.write_payload(os.path.join(args.out, "boundary_phrases.bin"), keys, ph_weights)

    write_check(os.path.join(args.out, "boundaries-check.txt"), held[:60], keys, pw_weights, ph_weights)

    pw_agree, ph_agree = Agreement(), Agreement()
    predicted = {}
    for s in held:
        pw, ph = predict_sentence(s, keys, pw_weights, ph_weights)
        pw[0] = ph[0] = True  # the item builder starts both at the first item
        predicted[id(s)] = ph
        pw_agree.add(s.pw, pw)
        ph_agree.add(s.ph, ph)

    report = [
        "boundary models: %d sentences (%d train, %d held out), %d word keys, %d epochs"
        % (len(sentences), len(train_set), len(held), len(keys.keys), args.epochs),
        "section 2 (prosodic words): %d entries, payload %d bytes, arena copy %d bytes"
        % (len(pw_weights), pw_bytes, pw_bytes - 2 * bm.COUNT.size),
        "section 3 (phrases):        %d entries, payload %d bytes, arena copy %d bytes"
        % (len(ph_weights), ph_bytes, ph_bytes - 2 * bm.COUNT.size),
        "held-out agreement with the heuristic (first words left out):",
        "  " + pw_agree.line("prosodic words"),
        "  " + ph_agree.line("phrases"),
        "phrase lengths on held-out sentences (characters, punctuation not counted):",
        "  " + histogram_lines("heuristic", phrase_lengths(held, lambda s: s.ph)),
        "  " + histogram_lines("model", phrase_lengths(held, lambda s: predicted[id(s)])),
    ]
    text = "\n".join(report) + "\n"
    with open(os.path.join(args.out, "boundaries-report.txt"), "w", encoding="utf-8") as f:
        f.write(text)
    sys.stdout.write(text)


if __name__ == "__main__":
    main()
