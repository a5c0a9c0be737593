#!/usr/bin/env bash
# Packages the voice trainer needs at build time (never at run time):
# the teacher synthesizer and reference analysis tools.
set -euo pipefail
packages=(espeak-ng libespeak-ng-dev sptk sox manpages-zh fortunes-zh debian-reference-zh-cn)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
