"""Tone-numbered pinyin -> unit codes, from a syllable list file.

The file holds one toneless spelling per line in syllable-index order
(blank lines and lines starting with # are ignored); a unit code is
syllable index x tones + tone - 1. Spellings may use v or u-umlaut.
"""


class SyllableCodes:
    def __init__(self, spellings, tones=5):
        self.tones = tones
        self.index = {}
        for i, s in enumerate(spellings):
            self.index.setdefault(s.replace("ü", "v"), i)

    @classmethod
    def from_file(cls, path, tones=5):
        spellings = []
        with open(path, encoding="utf-8") as f:
            for line in f:
                line = line.strip()
                if line and not line.startswith("#"):
                    spellings.append(line.lower())
        return cls(spellings, tones)

    def code(self, numbered):
        """Unit code of "zhong1", or None when the syllable or tone is not
        in the list."""
        base, tone = numbered[:-1], numbered[-1:]
        if not tone.isdigit() or not 1 <= int(tone) <= self.tones:
            return None
        i = self.index.get(base)
        if i is None:
            return None
        return i * self.tones + int(tone) - 1

    def codes(self, reading):
        out = [self.code(s) for s in reading]
        return None if None in out else out
