#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# warnings as errors, and runs the whole test suite; the tests that run
# threads against each other run once more under ThreadSanitizer first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

tsan=${KVO_TSAN_BUILD_DIR:-build-tsan}
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVO_WERROR=ON -DKVO_TSAN=ON \
  -DKVO_BUILD_BENCH=OFF -DKVO_BUILD_PLAYER=ON -DKVO_BUILD_READER=OFF
cmake --build "$tsan" -j"$jobs" --target sdk_concurrency_test engine_api_tests sysapi_test player_test player_module_test
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$tsan" --output-on-failure \
  -R 'ConcurrencyTest|EngineSynthesis.StopFromAnotherThread|SysLogTest.ConcurrentLines|^PlayerTest\.'

build=${KVO_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVO_WERROR=ON -DKVO_SANITIZE=ON -DKVO_BUILD_BENCH=OFF
cmake --build "$build" -j"$jobs"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600
