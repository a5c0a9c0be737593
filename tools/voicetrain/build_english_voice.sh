#!/usr/bin/env bash
# One command from a clean machine to the default English library with its
# voice:
#
#   tools/voicetrain/build_english_voice.sh          -> data/en_us_slt.kvl
#   tools/voicetrain/build_english_voice.sh --tiny   -> <work>/en_us_tiny.kvl (smoke test)
#
# The same trainer as the Chinese voice (build_voice.sh), with English
# labels from our own English front end and Flite's cmu_us_slt as the
# teacher: install the packages, build the tools, build the English
# library's sections 1-8 (tools/english/build.sh), collect the corpus (real
# sentences from the Debian fortune packages; --tiny: tools/voicetrain/
# corpus/tiny_corpus_en.tsv), label it, let the teacher speak the words our
# front end pronounces, train with the English questions and write the
# model as the library's ninth section. Every step is deterministic.
#
# Options:
#   --tiny                  thirty sentences and small trees
#   --out FILE              the library to write
#   --work DIR              scratch folder (default build-voice-en/ or
#                           build-voice-en-tiny/ in the repository)
#   --bin DIR               use the tools already built in DIR (no installs,
#                           no CMake)
#   --sections-from LIB     take sections 1-8 from an existing English
#                           library instead of building them (with --bin:
#                           offline)
#   --chinese LIB           the Chinese library the engine starts with while
#                           labelling (default data/zh_cn_mei.kvl)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tiny=0
out=""
work=""
bin=""
sections_from=""
chinese="$root/data/zh_cn_mei.kvl"
while [ $# -gt 0 ]; do
  case "$1" in
    --tiny) tiny=1; shift ;;
    --out) out="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --bin) bin="$2"; shift 2 ;;
    --sections-from) sections_from="$2"; shift 2 ;;
    --chinese) chinese="$2"; shift 2 ;;
    *) sed -n '2,27p' "$0" >&2; exit 2 ;;
  esac
done
if [ -z "$work" ]; then
  if [ $tiny -eq 1 ]; then work="$root/build-voice-en-tiny"; else work="$root/build-voice-en"; fi
fi
if [ -z "$out" ]; then
  if [ $tiny -eq 1 ]; then out="$work/en_us_tiny.kvl"; else out="$root/data/en_us_slt.kvl"; fi
fi
mkdir -p "$work"
work="$(cd "$work" && pwd)"
export LC_ALL=C.UTF-8 PYTHONHASHSEED=0
step() { echo "== $*" >&2; }

if [ -z "$bin" ]; then
  step "packages"
  bash "$root/scripts/install-voicetrain-deps.sh" --english
  sh "$root/scripts/install-english-deps.sh"
  step "tools"
  cmake -S "$root" -B "$work/cmake" -DCMAKE_BUILD_TYPE=Release -DKVO_BUILD_TESTS=OFF -DKVO_BUILD_BENCH=ON \
    -DKVO_BUILD_PLAYER=OFF -DKVO_BUILD_READER=OFF >/dev/null
  cmake --build "$work/cmake" -j 2 --target kvo-libtool kvo-voicetrain-labels kvo-teacher-flite kvo-voicetrain \
    kvo_voice_quality >/dev/null
  bin="$work/cmake/bin"
fi

# Sections 1-8: lexicon, voice information, exceptions, letter-to-sound,
# part of speech, phrase breaks. Without a model they are enough for our
# front end to label the corpus.
if [ -n "$sections_from" ]; then
  label_library="$sections_from"
else
  step "English sections"
  bash "$root/tools/english/build.sh" --libtool "$bin/kvo-libtool" --out "$work/labelling.kvl" >/dev/null
  label_library="$work/labelling.kvl"
fi

step "corpus"
corpus="$work/corpus.tsv"
if [ $tiny -eq 1 ]; then
  cp "$root/tools/voicetrain/corpus/tiny_corpus_en.tsv" "$corpus"
  train_options=(--leaves 24 --duration-leaves 16)
else
  python3 "$root/tools/voicetrain/corpus/extract_sentences_en.py" "$work/real.tsv"
  # Every 100th sentence is held out for the quality report; every 6th of
  # the others is trained on, with the sentences that bring in the phone
  # pairs these lack.
  awk -F'\t' 'NR % 100 == 50' "$work/real.tsv" > "$work/heldout.tsv"
  awk -F'\t' 'NR % 100 != 50 && NR % 6 == 1' "$work/real.tsv" > "$work/picked.tsv"
  awk -F'\t' 'NR % 100 != 50 && NR % 6 != 1' "$work/real.tsv" > "$work/rest.tsv"
  python3 "$root/tools/voicetrain/corpus/coverage_sentences_en.py" "$work/picked.tsv" "$work/rest.tsv" \
    "$work/coverage.tsv"
  cat "$work/picked.tsv" "$work/coverage.tsv" > "$corpus"
  train_options=(--leaves 600 --duration-leaves 400 --mdl 0.5)
fi
echo "$(wc -l < "$corpus") training sentences" >&2

step "labels (our English front end)"
rm -rf "$work/labels" "$work/audio"
mkdir -p "$work/labels" "$work/audio"
"$bin/kvo-voicetrain-labels" --english "$label_library" "$chinese" "$corpus" "$work/labels" \
  | tee "$work/labels-report.txt"
step "teacher"
"$bin/kvo-teacher-flite" "$work/labels/script.tsv" "$work/audio" | tee "$work/teacher-report.txt"
step "training"
"$bin/kvo-voicetrain" --language en --labels "$work/labels/labels.txt" --audio "$work/audio" \
  --questions "$root/tools/voicetrain/questions/questions_en.txt" --sections "$label_library" \
  --out "$out" --report "$work/training-report.txt" "${train_options[@]}"
sha256sum "$out" | tee "$work/library.sha256"

if [ $tiny -eq 0 ]; then
  step "held-out sentences: quality report"
  rm -rf "$work/heldout"
  mkdir -p "$work/heldout/labels" "$work/heldout/audio" "$work/heldout/ours"
  "$bin/kvo-voicetrain-labels" --english "$label_library" "$chinese" "$work/heldout.tsv" "$work/heldout/labels" \
    >/dev/null
  "$bin/kvo-teacher-flite" "$work/heldout/labels/script.tsv" "$work/heldout/audio" >/dev/null
  if [ -x "$bin/kvo_voice_quality" ]; then
    "$bin/kvo_voice_quality" --language en --library "$chinese" --english "$out" --sentences "$work/heldout.tsv" \
      --labels "$work/heldout/labels" --audio "$work/heldout/audio" --wav-out "$work/heldout/ours" \
      | tee "$work/quality-report.txt"
    bash "$root/bench/english_wer.sh" "$work/heldout" | tee -a "$work/quality-report.txt"
  fi
fi
