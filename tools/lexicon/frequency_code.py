"""The one-byte frequency code of a lexicon reading."""

import bisect


def decode(code):
    if code < 50:
        return code
    if code < 75:
        return 2 * code - 49
    if code < 100:
        return 4 * code - 198
    if code < 130:
        return 10 * code - 795
    if code < 140:
        return 50 * code - 5975
    if code < 180:
        return 100 * code - 12950
    if code < 205:
        return 200 * code - 30900
    if code < 255:
        return 1000 * code - 194500
    return 60000


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
