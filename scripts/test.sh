#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# warnings as errors, and runs the whole test suite; the tests that run
# threads against each other run once more under ThreadSanitizer first.
# Then every fuzz target runs for a short while (scripts/fuzz.sh --smoke)
# when clang is there; KVO_SKIP_FUZZ=1 leaves that out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
sh scripts/install-domain-deps.sh
jobs=$(nproc)

tsan=${KVO_TSAN_BUILD_DIR:-build-tsan}
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVO_WERROR=ON -DKVO_TSAN=ON \
  -DKVO_BUILD_BENCH=OFF -DKVO_BUILD_PLAYER=ON -DKVO_BUILD_READER=OFF
cmake --build "$tsan" -j"$jobs" --target sdk_concurrency_test engine_api_tests sysapi_test player_test player_module_test \
  player_handoff_test engine_module_fault_test
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$tsan" --output-on-failure \
  -R 'ConcurrencyTest|EngineSynthesis.StopFromAnotherThread|SysLogTest.ConcurrentLines|^PlayerTest\.|StopRace'

build=${KVO_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVO_WERROR=ON -DKVO_SANITIZE=ON -DKVO_BUILD_BENCH=OFF
cmake --build "$build" -j"$jobs"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600

if [ "${KVO_SKIP_FUZZ:-0}" != 1 ]; then
  if command -v clang++ >/dev/null; then
    bash scripts/fuzz.sh --smoke
  else
    echo "clang++ not found: fuzz smoke skipped"
  fi
fi
