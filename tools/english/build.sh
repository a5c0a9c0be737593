#!/usr/bin/env bash
# Builds the English library's sections 1-8 without a voice (default
# build/english/en_us.kvl): installs the Debian sources
# (scripts/install-english-deps.sh), writes the section payloads with
# build_english.py into build/english/ and chains them with kvo-libtool.
# tools/voicetrain/build_english_voice.sh adds the voice and writes
# data/en_us_slt.kvl.
# Usage: tools/english/build.sh [--libtool PROGRAM] [--out FILE]
# Deterministic: the same packages give the same file.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
libtool="$root/build/bin/kvo-libtool"
out="$root/build/english/en_us.kvl"
while [ $# -gt 0 ]; do
  case "$1" in
    --libtool) libtool="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) echo "usage: $0 [--libtool PROGRAM] [--out FILE]" >&2; exit 2 ;;
  esac
done
[ -x "$libtool" ] || { echo "build.sh: $libtool missing (build the kvo-libtool target)" >&2; exit 1; }
sh "$root/scripts/install-english-deps.sh"
work="$root/build/english"
python3 "$root/tools/english/build_english.py" --out "$work"
# Voice information: two 32-byte records; the second holds the sample rate
# (int32 at byte 4) and the sample width (int16 at byte 14).
python3 -c 'import struct,sys; r=bytearray(32); struct.pack_into("<i",r,4,16000); struct.pack_into("<h",r,14,16); sys.stdout.buffer.write(bytes(32)+bytes(r))' > "$work/voiceinfo.bin"
"$libtool" build --kind english --rate 16000 --out "$out" \
  --section 1="$work/lexicon.bin" --section 2="$work/voiceinfo.bin" --section 4="$work/exceptions.bin" \
  --section 5="$work/lts.bin" --section 6="$work/poslex.bin" --section 7="$work/breaks.bin"
sha256sum "$out"
