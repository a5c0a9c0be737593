#!/usr/bin/env bash
# Packages the voice trainer needs at build time (never at run time):
# the teacher synthesizer and reference analysis tools. --english: those of
# the English voice instead (Flite with cmu_us_slt as the teacher, the
# fortune texts, pocketsphinx for the intelligibility measure).
set -euo pipefail
packages=(espeak-ng libespeak-ng-dev sptk sox manpages-zh fortunes-zh debian-reference-zh-cn)
if [ "${1:-}" = "--english" ]; then
  packages=(flite flite1-dev fortunes fortunes-min pocketsphinx pocketsphinx-en-us sox)
fi
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
