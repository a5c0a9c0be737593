#!/usr/bin/env bash
# Builds the SDK and runs its smoke program: initialises the system library
# with the default data folder and lists the voice catalogue.
# (The engine does not speak yet; this step becomes "synthesise a sample
# text into out/sample.wav" on the day it does.)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${KVO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVO_BUILD_TESTS=OFF -DKVO_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)" --target kvo-smoke
"$build/bin/kvo-smoke" "$@"
