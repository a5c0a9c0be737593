#!/usr/bin/env bash
# The main job: builds the SDK, its engine modules and kvo-say, then speaks a
# sample Chinese text with the default voice of data/ into out/sample.wav
# and prints its length. Other text: bash scripts/demo.sh "你的文字"
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${KVO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVO_BUILD_TESTS=OFF -DKVO_BUILD_BENCH=OFF \
  -DKVO_BUILD_PLAYER=OFF -DKVO_BUILD_READER=OFF
cmake --build "$build" -j"$(nproc)" --target kvo-say kvo_tts_local_synth kvo_tts_local_n6_synth
mkdir -p out
text="今天天气很好，我们去公园散步吧。银行行长说，这个项目明年就能完成。"
if [ $# -gt 0 ]; then text="$*"; fi
"$build/bin/kvo-say" --data data -o out/sample.wav "$text"
