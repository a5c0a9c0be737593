#!/bin/sh
# Packages the table builders need. Idempotent. glibc's iconv (libc6) is
# always present; OpenCC provides the traditional-to-simplified table from
# which tools/tables/t2s_characters.txt is refreshed (tools/tables/refresh_t2s.sh).
set -eu
need=""
for pkg in opencc libopencc-data; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need="$need $pkg"
done
if [ -n "$need" ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need
fi
