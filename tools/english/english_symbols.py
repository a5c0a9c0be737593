"""The engine's English symbol table, tag set and transition scores, as the
builder needs them (engine/english/english_tables.cpp holds the same; the
builder's tagger must tag training text as the engine tags sentences)."""

SYMBOLS = [
    "0", "H-H%", "H-L%", "L-H%", "L-L%", "NONE", "aa", "ae", "ah", "ao", "aux", "aw", "ax", "axr", "ay", "b",
    "brth", "cc", "ch", "content", "d", "det", "dh", "dx", "eh", "el", "em", "en", "er", "ey", "f", "g", "h#",
    "hh", "hv", "ih", "in", "ix", "iy", "jh", "k", "l", "m", "md", "n", "ng", "novowel", "nx", "ow", "oy", "p",
    "pau", "pps", "punc", "r", "s", "sh", "t", "th", "to", "uh", "uw", "v", "w", "wp", "x", "y", "z", "zh", "6",
]
SYMBOL_INDEX = {s: i for i, s in enumerate(SYMBOLS)}

VOWELS = {"aa", "ae", "ah", "ao", "aw", "ax", "axr", "ay", "eh", "er", "ey", "ih", "ix", "iy", "ow", "oy", "uh", "uw"}

TAGS = ["*BOUNDARY*", "ADV", "PRON", "VERB", "UNC", "ADJ", "INTERJ", "CONJ", "PREP", "STOP", "ART", "SUBST"]
TAG_ADV, TAG_PRON, TAG_VERB, TAG_UNC, TAG_ADJ, TAG_INTERJ = 1, 2, 3, 4, 5, 6
TAG_CONJ, TAG_PREP, TAG_STOP, TAG_ART, TAG_SUBST = 7, 8, 9, 10, 11
NO_WORD = 109

# Penn Treebank tags of the part-of-speech lexicon onto the engine's classes.
PENN_TO_TAG = {
    "rb": TAG_ADV, "rbr": TAG_ADV, "rbs": TAG_ADV, "wrb": TAG_ADV,
    "prp": TAG_PRON, "prp$": TAG_PRON, "wp": TAG_PRON, "wp$": TAG_PRON, "ex": TAG_PRON,
    "vb": TAG_VERB, "vbd": TAG_VERB, "vbg": TAG_VERB, "vbn": TAG_VERB, "vbp": TAG_VERB, "vbz": TAG_VERB,
    "md": TAG_VERB,
    "fw": TAG_UNC, "sym": TAG_UNC, "ls": TAG_UNC,
    "jj": TAG_ADJ, "jjr": TAG_ADJ, "jjs": TAG_ADJ, "cd": TAG_ADJ,
    "uh": TAG_INTERJ,
    "cc": TAG_CONJ,
    "in": TAG_PREP, "to": TAG_PREP, "rp": TAG_PREP,
    "punc": TAG_STOP,
    "dt": TAG_ART, "pdt": TAG_ART, "wdt": TAG_ART,
    "nn": TAG_SUBST, "nns": TAG_SUBST, "nnp": TAG_SUBST, "nnps": TAG_SUBST, "pos": TAG_SUBST,
}

TRANSITIONS = [
    [59819, 44772, 48104, 45719, 39250, 44529, 43114, 44301, 41464, 44760, 43046, 45952],
    [42231, 49436, 50107, 54647, 44202, 51414, 30932, 47269, 51030, 53713, 46119, 43097],
    [38851, 46814, 43967, 59245, 41218, 45846, 24074, 40817, 45315, 50362, 39437, 50904],
    [49539, 52519, 51542, 52103, 44526, 49335, 29449, 44113, 52171, 49078, 50473, 46572],
    [45381, 47415, 48451, 47125, 49122, 47873, 34764, 47885, 51348, 54059, 48118, 53999],
    [40633, 41401, 42751, 47464, 44376, 49280, 25536, 46560, 49787, 52362, 39551, 58360],
    [49631, 45208, 51177, 42587, 38626, 44120, 49469, 41568, 34355, 59117, 35566, 43266],
    [37438, 49140, 55553, 51663, 46396, 51081, 28037, 42667, 46186, 42826, 50953, 52634],
    [32912, 42225, 50655, 52691, 41847, 52211, 20209, 33995, 33042, 40516, 55695, 54945],
    [61415, 35125, 37783, 37257, 33280, 39476, 21632, 37759, 35515, 41027, 35612, 40529],
    [34632, 41844, 34370, 28939, 45672, 55406, 19626, 23282, 24881, 38892, 28158, 59703],
    [41762, 44550, 43664, 52660, 43732, 42786, 24606, 49066, 54150, 55936, 36162, 51702],
]

# Words with their own identity in the phrase-break model.
IDENTITY_WORDS = [
    "and", "when", "or", "but", "because", "which", "since", "yes", "oh", "whose", "why", "here's", "nor", "ah",
    "em", "more", "about", "the", "an", "a", "be", "all", "my", "not", "very", "his", "their", "then", "been",
    "out", "up", "said", "me",
]
