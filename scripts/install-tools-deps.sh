#!/bin/sh
# What the table builders' refresh steps need. Idempotent. Building the
# tables themselves needs only glibc's iconv (libc6) and the committed text
# tables; these packages regenerate those text tables:
# - OpenCC: traditional-to-simplified characters (tools/tables/refresh_t2s.sh);
# - node and the npm package pinyin-pro, installed below build-tools-node/:
#   character readings (tools/tables/refresh_readings.sh).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
need=""
for pkg in opencc libopencc-data; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need="$need $pkg"
done
# A node that ships its own npm may already be there; Debian's comes in two packages.
command -v node >/dev/null 2>&1 || need="$need nodejs"
command -v npm >/dev/null 2>&1 || need="$need npm"
if [ -n "$need" ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need
fi
if [ ! -f "$root/build-tools-node/node_modules/pinyin-pro/package.json" ]; then
  mkdir -p "$root/build-tools-node"
  npm install --prefix "$root/build-tools-node" --no-save --no-audit --no-fund pinyin-pro@3.29.5
fi
