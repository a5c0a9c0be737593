#!/usr/bin/env bash
# Pictures of the reader's windows for docs/reader.md, taken under Xvfb.
# Usage: bash scripts/reader-screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=$root/docs/images
[ -x "$build/bin/tamblor" ] || { echo "no $build/bin/tamblor: build the target tamblor first" >&2; exit 1; }
# A scratch home, so the pictures show neither the user's history text nor a
# running reader.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$out"
for scale in 1 2; do
  dir=$home/shots-$scale
  HOME=$home XDG_RUNTIME_DIR=$home XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
    QT_SCALE_FACTOR=$scale KVO_AUDIO_DEVICE=null ASAN_OPTIONS=detect_leaks=0 \
    xvfb-run -a -s "-screen 0 2200x1600x24" "$build/bin/tamblor" --data "$root/data" --screenshots "$dir"
  for f in "$dir"/*.png; do
    name=$(basename "$f" .png)
    if [ "$scale" = 1 ]; then cp "$f" "$out/$name.png"; else cp "$f" "$out/$name@2x.png"; fi
  done
done
ls -l "$out"
