#!/bin/sh
# One command to make the table section payloads:
#   tools/tables/build-tables.sh OUTDIR [--refresh-t2s]
# Builds kvo_table_builder (needs only a compiler, CMake and glibc) and writes
# section04.bin … section12.bin into OUTDIR. With --refresh-t2s it first
# installs OpenCC (scripts/install-tools-deps.sh) and regenerates
# t2s_characters.txt from it.
set -eu
if [ $# -lt 1 ]; then
  echo "usage: $0 OUTDIR [--refresh-t2s]" >&2
  exit 2
fi
out=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ "${2:-}" = "--refresh-t2s" ]; then
  sh "$root/scripts/install-tools-deps.sh"
  sh "$here/refresh_t2s.sh"
fi
build="$root/build-tables"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKVO_BUILD_TESTS=OFF \
  -DKVO_BUILD_BENCH=OFF -DKVO_BUILD_PLAYER=OFF -DKVO_BUILD_READER=OFF >/dev/null
cmake --build "$build" --target kvo_table_builder -j 2 >/dev/null
mkdir -p "$out"
"$build/bin/kvo_table_builder" "$out"
echo "tables written to $out"
