#!/usr/bin/env bash
# Fetches the public data the lexicon builder reads: three npm packages,
# unpacked (not installed: nothing is compiled or run) into
# tools/lexicon/node_modules/<name>/package/. Versions are pinned so that
# a build is reproducible. Safe to run again: present packages are kept.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dest="$root/tools/lexicon/node_modules"

# folder name, npm package@version
packages=(
  "nodejieba nodejieba@3.5.8"
  "pinyin-pro pinyin-pro@3.29.5"
  "pinyin-pro-data @pinyin-pro/data@1.3.1"
)

need_apt=()
command -v python3 >/dev/null || need_apt+=(python3)
command -v npm >/dev/null || need_apt+=(npm)
command -v tar >/dev/null || need_apt+=(tar)
if [ ${#need_apt[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${need_apt[@]}"
fi

mkdir -p "$dest"
for entry in "${packages[@]}"; do
  name="${entry%% *}"
  package="${entry#* }"
  if [ -f "$dest/$name/.complete" ] && [ "$(cat "$dest/$name/.complete")" = "$package" ]; then
    continue
  fi
  echo "install-lexicon-deps: fetching $package"
  tmp="$(mktemp -d)"
  (cd "$tmp" && npm pack --silent "$package" >/dev/null)
  rm -rf "${dest:?}/$name"
  mkdir -p "$dest/$name"
  tar -xzf "$tmp"/*.tgz -C "$dest/$name"
  rm -rf "$tmp"
  echo "$package" > "$dest/$name/.complete"
done
echo "install-lexicon-deps: packages are in $dest"
