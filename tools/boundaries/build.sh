#!/usr/bin/env bash
# One command to the two boundary model payloads (library sections 2 and 3):
#   tools/boundaries/build.sh [--out DIR] [builder options …]
# Needs the sentence packages (scripts/install-voicetrain-deps.sh) and the
# jieba dictionary (bash tools/lexicon/build.sh fetches it). Default output:
# data/sections/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$root/data/sections"
if [ "${1:-}" = "--out" ]; then out="$2"; shift 2; fi
dict="$root/tools/lexicon/node_modules/nodejieba/package/submodules/cppjieba/dict/jieba.dict.utf8"
if [ ! -f "$dict" ]; then
  "$root/scripts/install-lexicon-deps.sh"
fi
"$root/scripts/install-voicetrain-deps.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$root/tools/voicetrain/corpus/extract_sentences.py" "$work/sentences.tsv" >/dev/null
exec python3 "$root/tools/boundaries/build_boundaries.py" \
  --sentences "$work/sentences.tsv" --dict "$dict" --out "$out" "$@"
