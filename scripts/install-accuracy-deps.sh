#!/bin/sh
# What the pinyin accuracy measurement (tools/analyze/accuracy/) needs at
# build time: the Debian packages with real Chinese sentences, node, and the
# reference reader pinyin-pro (npm) installed below build-tools-node/, where
# scripts/install-tools-deps.sh puts the same pinned version. Idempotent.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
need=""
for pkg in manpages-zh fortunes-zh; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need="$need $pkg"
done
command -v node >/dev/null 2>&1 || need="$need nodejs"
command -v npm >/dev/null 2>&1 || need="$need npm"
command -v python3 >/dev/null 2>&1 || need="$need python3"
if [ -n "$need" ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $need
fi
if [ ! -f "$root/build-tools-node/node_modules/pinyin-pro/package.json" ]; then
  mkdir -p "$root/build-tools-node"
  npm install --prefix "$root/build-tools-node" --no-save --no-audit --no-fund pinyin-pro@3.29.5
fi
