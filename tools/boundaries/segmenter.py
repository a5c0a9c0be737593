"""Maximum-probability word segmentation and tagging with the jieba dictionary.

Each Chinese run is cut by dynamic programming over log word frequencies
(unknown single characters get frequency 1); every word takes the tag of its
dictionary entry. Punctuation marks are words of their own; runs of ASCII
letters or digits are single words.
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "lexicon"))
from tag_names import TAG_NUMBER, jieba_tag_number  # noqa: E402

TAG_W = TAG_NUMBER["w"]      # punctuation and unknown runs
TAG_X = TAG_NUMBER["x"]      # letters
TAG_M = TAG_NUMBER["m"]      # digits
MAX_WORD = 16


class Word:
    __slots__ = ("text", "tag", "is_mark")

    def __init__(self, text, tag, is_mark=False):
        self.text = text
        self.tag = tag
        self.is_mark = is_mark

    def __repr__(self):
        return "%s/%d" % (self.text, self.tag)


def is_hanzi(ch):
    return "\u4e00" <= ch <= "\u9fff"


class Segmenter:
    def __init__(self, dict_path):
        self.freq = {}
        self.tag = {}
        total = 0
        with open(dict_path, encoding="utf-8") as f:
            for line in f:
                parts = line.split()
                if len(parts) < 2:
                    continue
                word, freq = parts[0], int(parts[1])
                if len(word) > MAX_WORD or not all(is_hanzi(c) for c in word):
                    continue
                self.freq[word] = freq
                self.tag[word] = jieba_tag_number(parts[2]) if len(parts) > 2 else TAG_W
                total += freq
        self.log_total = math.log(total)

    def _cut_hanzi(self, run):
        n = len(run)
        best = [(0.0, 0)] * (n + 1)
        for i in range(n - 1, -1, -1):
            candidates = []
            for j in range(i + 1, min(n, i + MAX_WORD) + 1):
                w = run[i:j]
                f = self.freq.get(w)
                if f is None and j > i + 1:
                    continue
                lp = math.log(f or 1) - self.log_total
                candidates.append((lp + best[j][0], j))
            best[i] = max(candidates)
        words, i = [], 0
        while i < n:
            j = best[i][1]
            w = run[i:j]
            words.append(Word(w, self.tag.get(w, TAG_W)))
            i = j
        return words

    def cut(self, sentence):
        words, i, n = [], 0, len(sentence)
        while i < n:
            ch = sentence[i]
            j = i + 1
            if is_hanzi(ch):
                while j < n and is_hanzi(sentence[j]):
                    j += 1
                words.extend(self._cut_hanzi(sentence[i:j]))
            elif ch.isascii() and ch.isalnum():
                while j < n and sentence[j].isascii() and sentence[j].isalnum() == ch.isalnum() \
                        and sentence[j].isdigit() == ch.isdigit():
                    j += 1
                words.append(Word(sentence[i:j], TAG_M if ch.isdigit() else TAG_X))
            elif ch.isspace():
                pass
            else:
                words.append(Word(ch, TAG_W, is_mark=True))
            i = j
        return words
