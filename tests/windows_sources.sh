#!/usr/bin/env bash
# The Windows-only sources are never built here. Compile them, with the shared platform sources they are
# built with, for Windows (MinGW-w64) against Qt's headers: syntax and types only, no link, no run.
# Arguments: the source folder, then Qt's include folders.
set -euo pipefail
src=$1
shift
cxx=x86_64-w64-mingw32-g++-posix # the POSIX thread model: Qt's headers need std::mutex
command -v "$cxx" >/dev/null || { echo "FAIL: $cxx not found (scripts/install-deps.sh installs it)"; exit 1; }
includes=()
for dir in "$@"; do
    includes+=(-isystem "$dir")
done
status=0
count=0
for file in "$src"/platform/*_win.cpp "$src"/platform/*_common.cpp; do
    count=$((count + 1))
    "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -I"$src" "${includes[@]}" "$file" ||
        { echo "FAIL: $file"; status=1; }
done
echo "$count platform sources checked for Windows"
exit $status
