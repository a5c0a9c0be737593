#!/usr/bin/env bash
# The sample domain library data/domain_service.kdl: a service line's
# prompts (tools/domain/sample/service_line.tsv), recorded with our own
# voice for now (kvo-say at 8 kHz, 16 bit) and encoded by kvo-domain-build.
# The same voice and packages give the same library, byte for byte.
#
#   tools/domain/build_sample.sh [--bin DIR] [--out FILE]
#
# --bin: a build's bin folder holding kvo-say and kvo-domain-build (default:
# build them in build-domain/).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bin=""
out="$root/data/domain_service.kdl"
while [ $# -gt 0 ]; do
  case "$1" in
    --bin) bin="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) sed -n '2,11p' "$0" >&2; exit 2 ;;
  esac
done
work="$root/build-domain"
mkdir -p "$work/wavs"
if [ -z "$bin" ]; then
  sh "$root/scripts/install-domain-deps.sh"
  cmake -S "$root" -B "$work/cmake" -DCMAKE_BUILD_TYPE=Release -DKVO_BUILD_TESTS=OFF -DKVO_BUILD_BENCH=OFF \
    -DKVO_BUILD_PLAYER=OFF -DKVO_BUILD_READER=OFF >/dev/null
  cmake --build "$work/cmake" -j 2 --target kvo-say kvo-domain-build kvo_tts_local_synth >/dev/null
  bin="$work/cmake/bin"
fi
list="$root/tools/domain/sample/service_line.tsv"
grep -v '^#' "$list" | while IFS=$'\t' read -r text _ wav _; do
  [ -n "$text" ] || continue
  "$bin/kvo-say" --data "$root/data" --config audioformat=pcm8k16bit -o "$work/wavs/$wav" -- "$text"
done
"$bin/kvo-domain-build" --list "$list" --wavs "$work/wavs" --library "$root/data/zh_cn_mei.kvl" \
  --name service_line --out "$out" | tee "$work/report.tsv"
sha256sum "$out"
