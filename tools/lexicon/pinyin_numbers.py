"""Tone-marked pinyin to tone-numbered spellings ("zhong1", "lv4", "le5")."""

import unicodedata

# Interjection syllables without a vowel letter.
_VOWELLESS = {"m", "n", "ng", "hm", "hng"}

_TONE_OF_MARK = {"\u0304": 1, "\u0301": 2, "\u030c": 3, "\u0300": 4}


def numbered_syllable(marked):
    """One tone-marked syllable -> lower-case letters plus tone 1-5.

    The neutral tone (no mark, or tone 0 from other tools) becomes 5;
    u-umlaut is spelled v. Returns None for a text that is not a syllable
    (empty, other characters, or a Latin letter like "B" without a vowel).
    """
    text = unicodedata.normalize("NFD", marked.strip().lower())
    tone = 5
    if text and text[-1] in "012345":     # tone given as a final digit
        tone = int(text[-1]) or 5
        text = text[:-1]
    letters = []
    for ch in text:
        if ch in _TONE_OF_MARK:
            tone = _TONE_OF_MARK[ch]
        elif ch == "\u0308":          # combining diaeresis: u-umlaut
            if letters and letters[-1] == "u":
                letters[-1] = "v"
        elif ch == "\u0302":          # e-circumflex, kept as plain e
            continue
        elif "a" <= ch <= "z":
            letters.append(ch)
        else:
            return None
    spelling = "".join(letters)
    if not any(v in spelling for v in "aeiouv") and spelling not in _VOWELLESS:
        return None
    return spelling + str(tone)


def numbered_reading(marked_text):
    """A space-separated tone-marked reading -> list of numbered syllables,
    or None when any syllable is not pinyin."""
    out = []
    for part in marked_text.split():
        syl = numbered_syllable(part)
        if syl is None:
            return None
        out.append(syl)
    return out


def citation_tones(word, syllables):
    """Undoes the tone changes of 一 and 不 that a source stored after sandhi
    (yi2/yi4 -> yi1, bu2 -> bu4); tone sandhi is applied by the engine."""
    out = list(syllables)
    for i, ch in enumerate(word):
        if i >= len(out):
            break
        if ch == "一" and out[i] in ("yi2", "yi4"):
            out[i] = "yi1"
        elif ch == "不" and out[i] == "bu2":
            out[i] = "bu4"
    return out
