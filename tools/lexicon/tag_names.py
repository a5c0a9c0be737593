"""The engine's part-of-speech tag names and the mapping of jieba's tags.

A tag number is the index of its name in TAG_NAMES. The engine's tagger
keeps transition costs only for the coarse tags in TAGGER_TAGS, so jieba
tags without such a counterpart are mapped onto the nearest coarse tag
rather than onto a finer name that the tagger could never leave.
"""

TAG_NAMES = (
    "ag a ad an bg b c dg d dc df e f g h i ia ib id in iv j ja jb jd jn jv k l "
    "la lb ld ln lv m mg mq ng n nr nrf nrg ns nt nx nz o p qg q qb qc qd qe qj "
    "ql qr qt qv qz rg r rr ry ryw rz rzw s tg t tt u ud ue ui ul uo us uz vg v "
    "vd vi vl vn vq vu vx w wd wf wj wk wky wkz wm wp ws wt wu ww wy wyy wyz x "
    "y z zr zs"
).split()

TAG_NUMBER = {name: i for i, name in enumerate(TAG_NAMES)}

# Tags the engine's tagger has transition costs for.
TAGGER_TAGS = frozenset(
    "a ad ag an b bg c d dg e f h i j k l m mg n ng nr ns nt nx nz o p q r rg "
    "s t tg u ud ul uz v vd vg vn w y z".split()
)

# jieba tags whose name is not a tagger tag, with the reason for the choice.
JIEBA_TAG_MAP = {
    "nrt": "nr",   # transliterated person name
    "nrfg": "nr",  # full person name
    "zg": "d",     # jieba uses it for adverb-like morphemes: 很 此 较 每
    "g": "ng",     # bound morpheme, mostly nominal characters
    "vi": "v",     # intransitive verb
    "vq": "v",     # verb with quantity
    "df": "d",     # 不要
    "mq": "m",     # numeral-classifier compound
    "rr": "r",     # personal pronoun
    "rz": "r",     # demonstrative pronoun
    "uj": "u",     # 的
    "uv": "u",     # 地
    "ug": "u",     # 过
    "yg": "y",     # modal morpheme
    "x": "x",      # non-word strings: kept, the engine retags them itself
}


def jieba_tag_number(jieba_tag):
    """Tag number for a jieba tag; an unknown tag maps by its first letter,
    and failing that onto x."""
    name = JIEBA_TAG_MAP.get(jieba_tag, jieba_tag)
    if name in TAG_NUMBER and (name in TAGGER_TAGS or name == "x"):
        return TAG_NUMBER[name]
    if jieba_tag[:1] in TAGGER_TAGS:
        return TAG_NUMBER[jieba_tag[:1]]
    return TAG_NUMBER["x"]
