#!/usr/bin/env bash
# Formats the C++ sources with the house style of .clang-format. Files that
# a generator writes keep the generator's layout, so that their up-to-date
# checks compare like with like.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "format.sh: clang-format is not installed (apt-get install clang-format)" >&2; exit 1; }
git ls-files '*.cpp' '*.h' | grep -v -e '_generated\.cpp$' -e '/tag_transition_table\.cpp$' | xargs clang-format -i
