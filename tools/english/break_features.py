"""Phrase-break model: the engine's tagger and break features mirrored in
Python (engine/english/english_analysis.cpp), pseudo-labels from the
punctuation of real text, and a naive Bayes fit of the weights.

A weight is 100 x the natural log of P(value | class), A for "no break"
and B for "break"; the class priors go into the weights of feature 0 (every
token has a tag). The engine places a break where the B weights sum to at
least the A weights.
"""

import math

import english_symbols as sym

SEPARATORS = " ;!?,.\t\n"
WEIGHT_SCALE = 100
SCORE_MULTIPLIER = 4
SCORE_PER_NAT = 1000


def labelled_tokens(sentence):
    """Raw tokens as the engine cuts an English sentence, each with 1 when
    the text marks a phrase break before it (a comma, colon or semicolon
    after the previous token, an opening bracket or quote, a dash)."""
    out = []
    tok = ""
    seps = ""
    for i, c in enumerate(sentence + " "):
        between_digits = c in ",." and tok[-1:].isdigit() and sentence[i + 1:i + 2].isdigit()
        if c in SEPARATORS and not between_digits:
            if tok:
                out.append([tok, seps])
                tok, seps = "", ""
            seps += c
        else:
            tok += c
    labelled = []
    for i, (tok, seps) in enumerate(out):
        prev = out[i - 1][0] if i > 0 else ""
        mark = i > 0 and ("," in seps or ";" in seps or prev[-1:] in (":", ")", '"') or tok[:1] in ("(", '"')
                          or tok.startswith("-"))
        labelled.append((tok[:127], 1 if mark else 0))
    return labelled


class Tagger:
    def __init__(self, poslex):
        # Scores as the engine sees them: stored value x multiplier.
        self.lex = {w: {t: int(round(lp * SCORE_PER_NAT)) for t, lp in c.items()} for w, c in poslex.items()}

    def candidates(self, token):
        for c in token:
            if not c.isalpha() or not c.isascii():
                return [(sym.TAG_ADJ if c.isdigit() else sym.TAG_UNC, 0)]
        cands = self.lex.get(token.lower())
        if not cands:
            return [(sym.TAG_SUBST, 1)]
        return [(t, max(-32768, min(32767, s)) * SCORE_MULTIPLIER) for t, s in sorted(cands.items())[:12]]

    def tag(self, tokens):
        if not tokens:
            return []
        T = sym.TRANSITIONS
        lattice = [[(t, s, -1) for t, s in self.candidates(tokens[0])]]
        for tok in tokens[1:]:
            prev = lattice[-1]
            col = []
            for t, s in self.candidates(tok):
                best, arg = None, -1
                for j, (pt, ps, _) in enumerate(prev):
                    v = T[pt][t] + ps
                    if best is None or v >= best:
                        best, arg = v, j
                col.append((t, s + best, arg))
            lattice.append(col)
        k = max(range(len(lattice[-1])), key=lambda j: (lattice[-1][j][1], -j))
        tags = []
        for col in reversed(lattice):
            tags.append(col[k][0])
            k = col[k][2]
        return list(reversed(tags))


def token_features(tokens, tags, i, since_break, word_id):
    """(feature, value) pairs of token i, as the engine computes them."""
    n = len(tokens)
    f = [(0, tags[i])]
    for k in (1, 2, 3):
        f.append((k, tags[i - k] if i - k >= 0 else sym.NO_WORD))
        f.append((3 + k, tags[i + k] if i + k < n else sym.NO_WORD))

    def length(j):
        return max(1, len(tokens[j])) if 0 <= j < n else 0

    f.append((13, len(tokens[i])))
    for fid, off in ((14, -1), (15, 1), (16, -2), (17, 2), (18, -3), (19, 3)):
        f.append((fid, length(i + off)))
    f.append((20, i))
    f.append((21, n))
    f.append((25, since_break))
    for fid, j in ((7, i), (8, i - 1), (9, i + 1)):
        if 0 <= j < n:
            w = word_id(tokens[j].lower(), tags[j])
            if w is not None:
                f.append((fid, w))
    f.append((10, 1 if i + 1 < n and tags[i + 1] == sym.TAG_STOP else 0))
    f.append((11, 1 if i > 0 and tags[i - 1] == sym.TAG_STOP else 0))
    if tags[i] == sym.TAG_STOP:
        f.append((12, ord(tokens[i][0]) if tokens[i] else ord(",")))
    return f


def train(sentences, tagger):
    words = set(sym.IDENTITY_WORDS)
    tagged = []
    for toks in sentences:
        tokens = [t for t, _ in toks]
        tags = tagger.tag(tokens)
        tagged.append((tokens, tags, [b for _, b in toks]))
        for t, g in zip(tokens, tags):
            if g == sym.TAG_PREP and len(t) < 16 and t.isalpha():
                words.add(t.lower())
    words = sorted(words, key=lambda w: w.encode())
    ids = {w: i for i, w in enumerate(words)}
    identity = set(sym.IDENTITY_WORDS)

    def word_id(w, tag):
        return ids.get(w) if (w in identity or tag == sym.TAG_PREP) else None

    counts = [{}, {}]
    totals = [0, 0]
    feature_totals = [{}, {}]
    for tokens, tags, labels in tagged:
        last = 0
        for i in range(len(tokens)):
            c = labels[i]
            totals[c] += 1
            for key in token_features(tokens, tags, i, i - last, word_id):
                counts[c][key] = counts[c].get(key, 0) + 1
                feature_totals[c][key[0]] = feature_totals[c].get(key[0], 0) + 1
            if c:
                last = i
    keys = set(counts[0]) | set(counts[1])
    values_per_feature = {}
    for f, _ in keys:
        values_per_feature[f] = values_per_feature.get(f, 0) + 1
    entries = {}
    total = totals[0] + totals[1]
    for key in keys:
        f = key[0]
        w = []
        for c in (0, 1):
            p = (counts[c].get(key, 0) + 1) / (feature_totals[c].get(f, 0) + values_per_feature[f] + 1)
            lp = math.log(p)
            if f == 0:
                lp += math.log(totals[c] / total)
            w.append(max(-32768, min(32767, int(round(WEIGHT_SCALE * lp)))))
        if -32768 <= key[1] <= 32767:
            entries[key] = tuple(w)
    return {"words": words, "entries": entries}


def predict(model, tokens, tags):
    ids = {w: i for i, w in enumerate(model["words"])}
    identity = set(sym.IDENTITY_WORDS)

    def word_id(w, tag):
        return ids.get(w) if (w in identity or tag == sym.TAG_PREP) else None

    breaks = [0] * len(tokens)
    last = 0
    blocked = 2 if len(tokens) > 1 else 0
    for i in range(len(tokens)):
        a = b = 0
        for key in token_features(tokens, tags, i, i - last, word_id):
            e = model["entries"].get(key)
            if e:
                a += e[0]
                b += e[1]
        if b >= a and i >= blocked:
            breaks[i] = 1
            last = i
            blocked = i + 3
    return breaks


def evaluate(model, sentences, tagger):
    tp = fp = fn = 0
    for toks in sentences:
        tokens = [t for t, _ in toks]
        gold = [b for _, b in toks]
        pred = predict(model, tokens, tagger.tag(tokens))
        for g, p in zip(gold, pred):
            tp += g and p
            fp += p and not g
            fn += g and not p
    prec = tp / (tp + fp) if tp + fp else 0.0
    rec = tp / (tp + fn) if tp + fn else 0.0
    f1 = 2 * prec * rec / (prec + rec) if prec + rec else 0.0
    return "precision %.3f recall %.3f F1 %.3f (%d breaks marked)" % (prec, rec, f1, tp + fn)
