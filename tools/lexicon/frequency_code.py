"""The one-byte frequency code of a lexicon reading (its steps are in
engine/frontend/lexicon/lexicon_layout.txt)."""

import bisect

from layout_description import Layout

_LAYOUT = Layout.load("engine/frontend/lexicon/lexicon_layout.txt")
_STEPS = _LAYOUT.rows("lexicon.frequency_step")   # [limit, multiplier, offset]
_MAX = _LAYOUT.value("lexicon.max_frequency")


def decode(code):
    for limit, multiplier, offset in _STEPS:
        if code < limit:
            return multiplier * code + offset
    return _MAX


_VALUES = [decode(c) for c in range(256)]
MAX_FREQUENCY = _VALUES[-1]


def encode(frequency):
    """The code whose value is nearest to frequency (the lower code on a
    tie); frequencies above the largest value saturate."""
    f = max(0, min(int(frequency), MAX_FREQUENCY))
    hi = bisect.bisect_left(_VALUES, f)
    if _VALUES[hi] == f or hi == 0:
        return hi
    lo = hi - 1
    return lo if f - _VALUES[lo] <= _VALUES[hi] - f else hi
