"""Our own labelling of prosodic words and intonational phrases.

No prosody-annotated corpus is available, so the models learn this
heuristic from real sentences:

Prosodic words. Every lexical word of two or more characters starts one.
A one-character function word (particles u, modal particles y, localisers
f, and 的 地 得 了 着 过 们) attaches to the word before it. A one-character
preposition, conjunction, adverb or pronoun (p, c, d, r) attaches to the
word after it, unless that word is itself three or more characters long.
Any other one-character word attaches to a one-character prosodic word
before it and otherwise starts one. A prosodic word never grows past four
characters. Punctuation starts a prosodic word, and so does the first word.

Phrases. The word after a punctuation mark (other than quotation and
book-title marks) starts a phrase, as does the first word. A phrase that
would grow past MAX_PHRASE characters is broken at a prosodic word start
at least MIN_PHRASE characters into it, preferring a start before a
conjunction (c), then a preposition (p), then an adverb (d) or verb (v),
then the latest start. Phrase starts are prosodic word starts.
"""
from segmenter import TAG_NUMBER

MAX_PW = 4
MAX_PHRASE = 12
MIN_PHRASE = 4

QUOTES = set('"“”《》')
ATTACH_LEFT_CHARS = set("的地得了着过们")
ATTACH_LEFT_TAGS = {TAG_NUMBER[t] for t in ("u", "ud", "ul", "uz", "y", "f")}
ATTACH_RIGHT_TAGS = {TAG_NUMBER[t] for t in ("p", "c", "d", "r")}
PREFER = [
    ({TAG_NUMBER["c"]}, 4),
    ({TAG_NUMBER["p"]}, 3),
    ({TAG_NUMBER["d"], TAG_NUMBER["v"], TAG_NUMBER["vd"], TAG_NUMBER["vn"]}, 2),
]


def is_quote(word):
    return word.is_mark and word.text in QUOTES


def prosodic_words(words):
    """One flag per word: True where a prosodic word starts."""
    starts = []
    pw_len = 0
    attach_next = False
    for k, w in enumerate(words):
        n = len(w.text)
        if k == 0 or w.is_mark:
            start = True
        elif n >= 2:
            start = not (attach_next and n <= 2 and pw_len + n <= MAX_PW)
        elif w.text in ATTACH_LEFT_CHARS or w.tag in ATTACH_LEFT_TAGS:
            start = pw_len == 0 or pw_len + 1 > MAX_PW
        elif attach_next:
            start = pw_len + 1 > MAX_PW
        else:
            start = not (pw_len == 1)
        if words[k - 1].is_mark if k else False:
            start = True
        pw_len = n if start else pw_len + n
        attach_next = (n == 1 and not w.is_mark and w.tag in ATTACH_RIGHT_TAGS)
        starts.append(start)
    return starts


def phrases(words, pw_starts):
    """One flag per word: True where an intonational phrase starts."""
    starts = [False] * len(words)
    phrase_begin = 0
    length = 0
    after_mark = True
    for k, w in enumerate(words):
        if is_quote(w):
            length += len(w.text)
            continue
        if after_mark and not w.is_mark:
            starts[k] = True
            phrase_begin, length = k, 0
            after_mark = False
        if w.is_mark:
            after_mark = True
            length += len(w.text)
            continue
        if pw_starts[k] and not starts[k] and length + len(w.text) > MAX_PHRASE:
            cut = best_cut(words, pw_starts, phrase_begin, k)
            starts[cut] = True
            phrase_begin = cut
            length = sum(len(x.text) for x in words[cut:k])
        length += len(w.text)
    return starts


def best_cut(words, pw_starts, begin, end):
    """The best prosodic word start in (begin, end] at least MIN_PHRASE
    characters after begin; end itself when there is none."""
    best, best_score = end, 1
    offset = 0
    for k in range(begin, end + 1):
        if k > begin and pw_starts[k] and offset >= MIN_PHRASE and not words[k].is_mark:
            score = 1
            for tags, s in PREFER:
                if words[k].tag in tags:
                    score = s
                    break
            if score >= best_score:
                best, best_score = k, score
        offset += len(words[k].text)
    return best


def label(words):
    pw = prosodic_words(words)
    ph = phrases(words, pw)
    pw = [a or b for a, b in zip(pw, ph)]
    return pw, ph
