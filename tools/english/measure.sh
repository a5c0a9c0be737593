#!/usr/bin/env bash
# Measures the English library's letter-to-sound rules on the words held out
# of its lexicon: rebuilds the payloads (build_english.py writes the
# held-out list) and runs kvo-english-accuracy on data/en_us_slt.kvl.
# Usage: tools/english/measure.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build}"
sh "$root/scripts/install-english-deps.sh"
python3 "$root/tools/english/build_english.py" --out "$root/build/english" >/dev/null
"$build/bin/kvo-english-accuracy" "$root/data/en_us_slt.kvl" "$root/build/english/heldout.txt"
