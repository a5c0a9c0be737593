#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan and UBSan) and runs them one at a
# time, niced, for the time asked.
#
#   scripts/fuzz.sh [--seconds N] [--smoke] [--merge] [TARGET...]
#
#   --seconds N  run each target N seconds (default 600)
#   --smoke      CI check: 25 s per target on a scratch copy of the committed
#                corpus; fails on the first crash, keeps nothing
#   --merge      afterwards minimise the kept corpus of each target into
#                tests/fuzz/corpus/<target> (to commit the new seeds)
#
# Targets default to all of them. New corpus entries are kept in
# $KVO_FUZZ_WORK/corpus/<target> (default build-fuzz/work), crashes and
# hangs in $KVO_FUZZ_WORK/crashes/<target>; the run ends with the first one.
# A fixed crash's minimised input goes into tests/fuzz/regressions/<target>,
# which every test build replays.
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(engine_text_fuzzer engine_library_fuzzer config_fuzzer player_start_fuzzer)
seconds=600
smoke=0
merge=0
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --smoke) smoke=1; seconds=${KVO_FUZZ_SMOKE_SECONDS:-25}; shift ;;
    --merge) merge=1; shift ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

build=${KVO_FUZZ_BUILD_DIR:-build-fuzz}
work=${KVO_FUZZ_WORK:-$build/work}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVO_FUZZ=ON \
  -DKVO_SANITIZE=ON -DKVO_WERROR=OFF -DKVO_BUILD_BENCH=OFF -DKVO_BUILD_PLAYER=ON -DKVO_BUILD_READER=OFF >/dev/null
nice -n 19 cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" engine_test_libraries

# The shared sanitizer runtime comes after libstdc++ in a fuzzer's list.
export ASAN_OPTIONS=verify_asan_link_order=0:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export KVO_AUDIO_DEVICE=null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for target in "${targets[@]}"; do
  seeds=tests/fuzz/corpus/$target
  corpus=$work/corpus/$target
  [ "$smoke" = 1 ] && corpus=$scratch/corpus/$target
  crashes=$work/crashes/$target
  mkdir -p "$corpus" "$crashes" "$seeds"
  extra=()
  max_len=(-max_len=4096)
  leaks=()
  case "$target" in
    # The engine never allocates after init; texts past a few sentences only slow it down.
    engine_*) leaks=(-detect_leaks=0); max_len=(-max_len=320) ;;
  esac
  if [ "$target" = engine_library_fuzzer ]; then
    # The library seeds are the test libraries the build writes, each behind
    # the role byte (0 Chinese, 1 English, 2 domain); nothing binary is committed.
    libraries=$build/tests/engine/core/libraries
    printf '\0' | cat - "$libraries/cn16k.lib" > "$scratch/seed_cn"
    printf '\1' | cat - "$libraries/en16k.lib" > "$scratch/seed_en"
    printf '\1' | cat - "$libraries/en16k_voice.lib" > "$scratch/seed_en_voice"
    printf '\2' | cat - "$libraries/domain.lib" > "$scratch/seed_domain"
    extra=("$scratch/seed_cn" "$scratch/seed_en" "$scratch/seed_en_voice" "$scratch/seed_domain")
    mkdir -p "$scratch/library_seeds"
    cp "${extra[@]}" "$scratch/library_seeds/"
    extra=("$scratch/library_seeds")
    max_len=()
  fi
  dict=()
  [ -f "tests/fuzz/$target.dict" ] && dict=(-dict="tests/fuzz/$target.dict")
  echo "== $target: ${seconds}s (corpus $corpus)"
  set +e
  nice -n 19 "$build/bin/$target" "$corpus" "$seeds" "${extra[@]}" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 "${max_len[@]}" "${leaks[@]}" -print_final_stats=1 \
    -artifact_prefix="$crashes/" 2>"$scratch/$target.log"
  rc=$?
  set -e
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|stat::peak_rss_mb|Done)' "$scratch/$target.log" || true
  if [ $rc -ne 0 ]; then
    status=1
    echo "!! $target failed (exit $rc); inputs in $crashes" >&2
    grep -E 'ERROR|SUMMARY|#[0-9]+ 0x' "$scratch/$target.log" | head -30 >&2
    [ "$smoke" = 1 ] && break
  fi
  if [ "$merge" = 1 ] && [ "$smoke" = 0 ]; then
    nice -n 19 "$build/bin/$target" -merge=1 "$seeds" "$corpus" "${dict[@]}" >/dev/null 2>&1 || true
  fi
done
exit $status
