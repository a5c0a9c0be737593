#!/bin/sh
# Assembles a Chinese library that holds everything the text front end reads
# (lexicon, polyphone model, conversion and name tables, boundary models) but
# no voice: enough for kvo-analyze and the front-end tests, not for speech.
#   tools/lexicon/make-library.sh --out FILE [--libtool PROGRAM]
#       [--tables DIR] [--lexicon DIR] [--boundaries DIR] [--names FILE]
# Defaults: kvo-libtool from PATH, build/tables (tools/tables/build-tables.sh),
# build/lexicon (tools/lexicon/build.sh), data/sections; without --names
# (tools/names/build.sh: name_model.bin) person names are not recognised.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
libtool=kvo-libtool
tables="$root/build/tables"
lexicon="$root/build/lexicon"
boundaries="$root/data/sections"
out=""
names=""
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out=$2; shift 2 ;;
    --libtool) libtool=$2; shift 2 ;;
    --tables) tables=$2; shift 2 ;;
    --lexicon) lexicon=$2; shift 2 ;;
    --boundaries) boundaries=$2; shift 2 ;;
    --names) names=$2; shift 2 ;;
    *) echo "usage: $0 --out FILE [--libtool PROGRAM] [--tables DIR] [--lexicon DIR] [--boundaries DIR] [--names FILE]" >&2
       exit 2 ;;
  esac
done
if [ -z "$out" ]; then
  echo "make-library.sh: --out is required" >&2
  exit 2
fi
for f in "$lexicon/lexicon.bin" "$lexicon/polyphone.bin" "$boundaries/boundary_prosodic_words.bin" \
         "$boundaries/boundary_phrases.bin" "$tables/section04.bin" "$tables/section12.bin"; do
  if [ ! -f "$f" ]; then
    echo "make-library.sh: $f is missing" >&2
    exit 1
  fi
done
if [ -n "$names" ] && [ ! -f "$names" ]; then
  echo "make-library.sh: $names is missing" >&2
  exit 1
fi
# Section numbers as in docs/library-format.md; 14 to 19 (voice) stay absent,
# and 13 (names) without --names.
set --
[ -n "$names" ] && set -- --section 13="$names"
exec "$libtool" build --kind chinese --rate 16000 --voice-kind 0 \
  --section 1="$lexicon/lexicon.bin" \
  --section 2="$boundaries/boundary_prosodic_words.bin" \
  --section 3="$boundaries/boundary_phrases.bin" \
  --section 4="$tables/section04.bin" \
  --section 5="$tables/section05.bin" \
  --section 6="$tables/section06.bin" \
  --section 7="$lexicon/polyphone.bin" \
  --section 8="$tables/section08.bin" \
  --section 9="$tables/section09.bin" \
  --section 10="$tables/section10.bin" \
  --section 11="$tables/section11.bin" \
  --section 12="$tables/section12.bin" \
  "$@" --out "$out"
