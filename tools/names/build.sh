#!/usr/bin/env bash
# One command from a clean machine to the person-name model payload:
#   tools/names/build.sh [--out DIR]
# Fetches the pinned npm data packages of the lexicon (the same ones), then
# writes DIR/name_model.bin and DIR/name_lists.txt (default build/names/).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$root/build/names"
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out="$2"; shift 2 ;;
    *) echo "usage: $0 [--out DIR]" >&2; exit 2 ;;
  esac
done
"$root/scripts/install-lexicon-deps.sh" >/dev/null
exec python3 "$root/tools/names/build_name_model.py" --sources "$root/tools/lexicon/node_modules" --out "$out"
