#!/usr/bin/env bash
# Regenerates common/cp932_table.cpp: builds gen_cp932.exe with MinGW and runs it under the Wine
# session of the win32 build (started here if it is not running).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
session=${1:-$root/build/win32/wine}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
i686-w64-mingw32-g++ -O2 -std=c++17 -Wall -Wextra -static -o "$out/gen_cp932.exe" "$root/tools/gen-cp932/gen_cp932.cpp"
[ -f "$session/display" ] || "$root/tools/wine-session.sh" start "$session"
cd "$out"
"$root/tools/wine-run.sh" "$session" "$out/gen_cp932.exe" cp932_table.cpp
cp "$out/cp932_table.cpp" "$root/common/cp932_table.cpp"
