#!/bin/sh
# Puts a rebuilt lexicon and polyphone model into an existing Chinese library
# and keeps every other section, the voice included, byte for byte:
#   tools/lexicon/update-library.sh [--library FILE] [--lexicon DIR] [--libtool PROGRAM]
# Defaults: data/zh_cn_mei.kvl, build/lexicon (tools/lexicon/build.sh),
# kvo-libtool from PATH. The library is rewritten in place; the script checks
# that only sections 1 and 7 changed and prints the new checksum. When the
# new payloads would move the voice model, it stops and says how to rebuild.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
library="$root/data/zh_cn_mei.kvl"
lexicon="$root/build/lexicon"
libtool=kvo-libtool
while [ $# -gt 0 ]; do
  case "$1" in
    --library) library=$2; shift 2 ;;
    --lexicon) lexicon=$2; shift 2 ;;
    --libtool) libtool=$2; shift 2 ;;
    *) echo "usage: $0 [--library FILE] [--lexicon DIR] [--libtool PROGRAM]" >&2; exit 2 ;;
  esac
done
for f in "$library" "$lexicon/lexicon.bin" "$lexicon/polyphone.bin"; do
  [ -f "$f" ] || { echo "update-library.sh: $f is missing" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Section payloads and header values as kvo-libtool reads them.
"$libtool" dump "$library" --kind chinese > "$work/dump.txt"
field() { sed -n "s/^$1: //p" "$work/dump.txt"; }
extract() {  # library, dump file, folder
  sed -n 's/^section \([0-9]*\): at [0-9]* payload offset \([0-9]*\) payload size \([0-9]*\).*/\1 \2 \3/p' "$2" |
  while read -r n offset size; do
    if [ "$size" -gt 0 ]; then
      tail -c +"$((offset + 1))" "$1" | head -c "$size" > "$3/$n.bin"
    fi
  done
}
mkdir "$work/old" "$work/new"
extract "$library" "$work/dump.txt" "$work/old"
cp "$lexicon/lexicon.bin" "$work/old/1.bin.new"
cp "$lexicon/polyphone.bin" "$work/old/7.bin.new"
set --
for n in $(seq 1 19); do
  if [ -f "$work/old/$n.bin.new" ]; then
    set -- "$@" --section "$n=$work/old/$n.bin.new"
  elif [ -f "$work/old/$n.bin" ]; then
    set -- "$@" --section "$n=$work/old/$n.bin"
  fi
done
"$libtool" build --kind chinese --rate "$(field 'sample rate')" --voice-kind "$(field 'voice kind')" \
  --word1 "$(field 'voice word 1')" --word2 "$(field 'voice word 2')" --byte29 "$(field 'voice byte 29')" \
  --byte30 "$(field 'voice byte 30')" --byte32 "$(field 'voice byte 32')" "$@" --out "$work/library.kvl"

# Only the two sections may differ.
"$libtool" dump "$work/library.kvl" --kind chinese > "$work/dump-new.txt"
extract "$work/library.kvl" "$work/dump-new.txt" "$work/new"
for n in $(seq 1 19); do
  [ "$n" = 1 ] || [ "$n" = 7 ] && continue
  if [ -f "$work/old/$n.bin" ] || [ -f "$work/new/$n.bin" ]; then
    cmp -s "$work/old/$n.bin" "$work/new/$n.bin" || { echo "update-library.sh: section $n changed" >&2; exit 1; }
  fi
done
cmp -s "$work/new/1.bin" "$lexicon/lexicon.bin" && cmp -s "$work/new/7.bin" "$lexicon/polyphone.bin" ||
  { echo "update-library.sh: sections 1 and 7 were not written as built" >&2; exit 1; }
# The voice model (section 19) stores absolute file positions, so it is only
# valid where it was written: when the new payloads move it, the model must
# be written again for its new place (the voice build does that).
model_at() { sed -n 's/^section 19: at \([0-9]*\) .*/\1/p' "$1"; }
if [ "$(model_at "$work/dump.txt")" != "$(model_at "$work/dump-new.txt")" ]; then
  cp "$work/library.kvl" "$library.sections"
  echo "update-library.sh: the new payloads move the voice model, whose positions are absolute." >&2
  echo "  The library with the new sections is $library.sections; write the voice for it with" >&2
  echo "  tools/voicetrain/build_voice.sh --sections-from $library.sections" >&2
  exit 1
fi
cp "$work/library.kvl" "$library"
sha256sum "$library"
