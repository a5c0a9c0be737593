#!/bin/sh
# What the English library builder (tools/english/) reads: Debian's
# syllabified CMU lexicon with its letter-to-sound rules (festlex-cmu), the
# part-of-speech lexicon (festlex-poslex) and real English sentences for the
# phrase-break model (fortunes, fortunes-min). Idempotent.
set -eu
need=""
for pkg in festlex-cmu festlex-poslex fortunes fortunes-min; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need="$need $pkg"
done
command -v python3 >/dev/null 2>&1 || need="$need python3"
if [ -n "$need" ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $need
fi
