#!/bin/sh
# What the domain library builder and the G.729 decoder comparison tests need:
# bcg729 encodes the phrase recordings at build time and serves as an
# independent decoder in the tests. The engine never links it. Idempotent.
set -eu
need=""
for pkg in libbcg729-dev; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need="$need $pkg"
done
if [ -n "$need" ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $need
fi
