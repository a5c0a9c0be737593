#!/bin/sh
# One command to the pinyin accuracy number:
#   tools/analyze/accuracy/measure.sh [--build DIR] [--out DIR]
# Installs the sentence packages, node and pinyin-pro, builds the lexicon
# and the person-name model (when build/lexicon or build/names has none),
# kvo-analyze and kvo-libtool (in DIR, default
# build-accuracy), assembles a front-end library and writes report.txt and
# errors.tsv into the output folder (default build/accuracy).
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
build="$root/build-accuracy"
out="$root/build/accuracy"
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done
sh "$root/scripts/install-accuracy-deps.sh"
[ -f "$root/build/lexicon/lexicon.bin" ] || "$root/tools/lexicon/build.sh"
[ -f "$root/build/names/name_model.bin" ] || "$root/tools/names/build.sh" >/dev/null
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKVO_BUILD_TESTS=OFF -DKVO_BUILD_BENCH=OFF \
    -DKVO_BUILD_PLAYER=OFF -DKVO_BUILD_READER=OFF >/dev/null
fi
cmake --build "$build" --target kvo-analyze kvo-libtool -j 2 >/dev/null
mkdir -p "$out"
sh "$root/tools/lexicon/make-library.sh" --libtool "$build/bin/kvo-libtool" --names "$root/build/names/name_model.bin" \
  --out "$out/frontend.kvl"
python3 "$root/tools/voicetrain/corpus/extract_sentences.py" "$out/sentences.tsv"
python3 "$root/tools/analyze/accuracy/pinyin_accuracy.py" --analyze "$build/bin/kvo-analyze" \
  --cnlib "$out/frontend.kvl" --sentences "$out/sentences.tsv" \
  --node-modules "$root/build-tools-node/node_modules" --report "$out/report.txt" --errors "$out/errors.tsv"
