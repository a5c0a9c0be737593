#!/usr/bin/env bash
# One command from a clean machine to the lexicon and polyphone payloads:
#   tools/lexicon/build.sh [--syllables FILE] [--out DIR]
# Fetches the pinned npm data packages, then builds into DIR (default
# build/lexicon/). The syllable list defaults to the one the table builder
# writes (built first when missing).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
syllables=""
out="$root/build/lexicon"
while [ $# -gt 0 ]; do
  case "$1" in
    --syllables) syllables="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) echo "usage: $0 [--syllables FILE] [--out DIR]" >&2; exit 2 ;;
  esac
done
if [ -z "$syllables" ]; then
  syllables="$root/build/tables/syllables.txt"
  [ -f "$syllables" ] || sh "$root/tools/tables/build-tables.sh" "$root/build/tables" >/dev/null
fi
if [ ! -f "$syllables" ]; then
  echo "build.sh: syllable list $syllables not found (one toneless spelling per line, in index order)" >&2
  exit 1
fi

"$root/scripts/install-lexicon-deps.sh"
exec python3 "$root/tools/lexicon/build_lexicon.py" \
  --sources "$root/tools/lexicon/node_modules" --syllables "$syllables" \
  --rules "$root/tools/lexicon/polyphone_rules.txt" --out "$out"
