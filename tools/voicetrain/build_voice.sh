#!/usr/bin/env bash
# One command from a clean machine to the default Chinese voice library:
#
#   tools/voicetrain/build_voice.sh            -> data/zh_cn_mei.kvl
#   tools/voicetrain/build_voice.sh --tiny     -> <work>/zh_cn_tiny.kvl (smoke test)
#   tools/voicetrain/build_voice.sh --rate 8000 --sections-from data/zh_cn_mei.kvl
#                                              -> data/zh_cn_mei_8k.kvl
#
# Steps: install the packages (scripts/install-voicetrain-deps.sh, the
# lexicon's npm data), build the tools, build the table sections, lexicon,
# polyphone model and person-name model, take the boundary models
# (data/sections; rebuilt with --rebuild-boundaries), collect the corpus (real sentences from the Debian
# zh packages plus generated syllable x tone coverage), label it with our
# own engine's front end, let the teacher speak it, train the model and
# write the library. Every step is deterministic: the same packages give
# the same library, byte for byte.
#
# Options:
#   --tiny                  a few dozen sentences (tools/voicetrain/corpus/
#                           tiny_corpus.tsv) and small trees
#   --out FILE              the library to write
#   --work DIR              scratch folder (default build-voice/,
#                           build-voice-8k/ or build-voice-tiny/ in the
#                           repository)
#   --bin DIR               use the tools already built in DIR (no installs,
#                           no CMake)
#   --sections-from LIB     take sections 1-18 from an existing library
#                           instead of building them (with --bin: offline)
#   --rebuild-boundaries    rebuild the boundary models from the corpus
#   --rate HZ               the voice rate: 16000 (default) or 8000 (the
#                           teacher's 16 kHz audio is resampled; LPC order
#                           12; the voice information names 8000 Hz)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tiny=0
out=""
work=""
bin=""
sections_from=""
rebuild_boundaries=0
rate=16000
while [ $# -gt 0 ]; do
  case "$1" in
    --tiny) tiny=1; shift ;;
    --out) out="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --bin) bin="$2"; shift 2 ;;
    --sections-from) sections_from="$2"; shift 2 ;;
    --rebuild-boundaries) rebuild_boundaries=1; shift ;;
    --rate) rate="$2"; shift 2 ;;
    *) sed -n '2,32p' "$0" >&2; exit 2 ;;
  esac
done
if [ -z "$work" ]; then
  if [ $tiny -eq 1 ]; then work="$root/build-voice-tiny"
  elif [ "$rate" = 16000 ]; then work="$root/build-voice"
  else work="$root/build-voice-$((rate / 1000))k"; fi
fi
if [ -z "$out" ]; then
  if [ $tiny -eq 1 ]; then out="$work/zh_cn_tiny.kvl"
  elif [ "$rate" = 16000 ]; then out="$root/data/zh_cn_mei.kvl"
  else out="$root/data/zh_cn_mei_$((rate / 1000))k.kvl"; fi
fi
mkdir -p "$work"
export LC_ALL=C.UTF-8 PYTHONHASHSEED=0
step() { echo "== $*" >&2; }

# Tools.
if [ -z "$bin" ]; then
  step "packages"
  bash "$root/scripts/install-voicetrain-deps.sh"
  step "tools"
  cmake -S "$root" -B "$work/cmake" -DCMAKE_BUILD_TYPE=Release -DKVO_BUILD_TESTS=OFF -DKVO_BUILD_BENCH=ON \
    -DKVO_BUILD_PLAYER=OFF -DKVO_BUILD_READER=OFF >/dev/null
  cmake --build "$work/cmake" -j 2 --target kvo_table_builder kvo-libtool kvo-voicetrain-labels \
    kvo-teacher-espeak kvo-voicetrain kvo_voice_quality >/dev/null
  bin="$work/cmake/bin"
fi

# Section payloads 1-18.
sections="$work/sections"
mkdir -p "$sections"
if [ -n "$sections_from" ]; then
  label_library="$sections_from"
  train_sections="$sections_from"
else
  step "tables"
  mkdir -p "$work/tables"
  "$bin/kvo_table_builder" "$work/tables" >/dev/null
  for n in 04 05 06 08 09 10 11 12; do cp "$work/tables/section$n.bin" "$sections/"; done
  step "lexicon"
  bash "$root/tools/lexicon/build.sh" --syllables "$work/tables/syllables.txt" --out "$work/lexicon" >/dev/null
  cp "$work/lexicon/lexicon.bin" "$sections/section01.bin"
  cp "$work/lexicon/polyphone.bin" "$sections/section07.bin"
  step "person-name model"
  bash "$root/tools/names/build.sh" --out "$work/names" >/dev/null
  cp "$work/names/name_model.bin" "$sections/section13.bin"
  if [ $rebuild_boundaries -eq 1 ]; then
    step "boundary models"
    bash "$root/tools/boundaries/build.sh" --out "$work/boundaries" >/dev/null
    boundaries="$work/boundaries"
  else
    boundaries="$root/data/sections"
  fi
  cp "$boundaries/boundary_prosodic_words.bin" "$sections/section02.bin"
  cp "$boundaries/boundary_phrases.bin" "$sections/section03.bin"
  # Voice information: the second record holds the rate and sample width.
  python3 -c "
import struct, sys
b = bytearray(64)
struct.pack_into('<i', b, 32 + 4, 16000)
struct.pack_into('<h', b, 32 + 14, 16)
open(sys.argv[1], 'wb').write(b)" "$sections/section18.bin"
  # A library without a model: enough for our front end to label the corpus.
  args=()
  for n in 01 02 03 04 05 06 07 08 09 10 11 12 13 18; do args+=(--section "$((10#$n))=$sections/section$n.bin"); done
  "$bin/kvo-libtool" build --kind chinese --rate 16000 --voice-kind 0 "${args[@]}" --out "$work/labelling.kvl" >/dev/null
  label_library="$work/labelling.kvl"
  train_sections="$sections"
fi

# Corpus.
step "corpus"
corpus="$work/corpus.tsv"
if [ $tiny -eq 1 ]; then
  cp "$root/tools/voicetrain/corpus/tiny_corpus.tsv" "$corpus"
  train_options=(--leaves 24 --duration-leaves 16)
else
  python3 "$root/tools/voicetrain/corpus/extract_sentences.py" "$work/real.tsv" 2>/dev/null
  python3 "$root/tools/voicetrain/corpus/coverage_sentences.py" chars "$work/chars.tsv"
  mkdir -p "$work/char-readings"
  "$bin/kvo-voicetrain-labels" "$label_library" "$work/chars.tsv" "$work/char-readings" >/dev/null 2>&1
  python3 "$root/tools/voicetrain/corpus/coverage_sentences.py" build "$work/chars.tsv" \
    "$work/char-readings/script.tsv" "$work/coverage.tsv" --per 8 --contexts 2
  # Every 100th real sentence is held out for the quality report; every
  # 5th of the others is trained on.
  awk -F'\t' 'NR % 100 == 50' "$work/real.tsv" > "$work/heldout.tsv"
  { awk -F'\t' 'NR % 100 != 50 && NR % 5 == 1' "$work/real.tsv"; cat "$work/coverage.tsv"; } > "$corpus"
  train_options=(--leaves 600 --duration-leaves 400 --mdl 0.5)
fi
echo "$(wc -l < "$corpus") training sentences" >&2

step "labels (our front end)"
rm -rf "$work/labels" "$work/audio"
mkdir -p "$work/labels" "$work/audio"
"$bin/kvo-voicetrain-labels" "$label_library" "$corpus" "$work/labels" | tee "$work/labels-report.txt"
step "teacher"
"$bin/kvo-teacher-espeak" "$work/labels/script.tsv" "$work/audio" | tee "$work/teacher-report.txt"
step "training"
"$bin/kvo-voicetrain" --labels "$work/labels/labels.txt" --audio "$work/audio" \
  --questions "$root/tools/voicetrain/questions/questions.txt" --sections "$train_sections" \
  --rate "$rate" --out "$out" --report "$work/training-report.txt" "${train_options[@]}"
sha256sum "$out" | tee "$work/library.sha256"

if [ $tiny -eq 0 ]; then
  step "held-out sentences: quality report"
  rm -rf "$work/heldout"
  mkdir -p "$work/heldout/labels" "$work/heldout/audio"
  "$bin/kvo-voicetrain-labels" "$label_library" "$work/heldout.tsv" "$work/heldout/labels" >/dev/null
  "$bin/kvo-teacher-espeak" "$work/heldout/labels/script.tsv" "$work/heldout/audio" >/dev/null
  if [ -x "$bin/kvo_voice_quality" ]; then
    "$bin/kvo_voice_quality" --rate "$rate" --library "$out" --sentences "$work/heldout.tsv" --labels "$work/heldout/labels" \
      --audio "$work/heldout/audio" --train-labels "$work/labels" --train-audio "$work/audio" \
      | tee "$work/quality-report.txt"
  fi
fi
