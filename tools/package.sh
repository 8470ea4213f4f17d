#!/usr/bin/env bash
# Makes the release zip for Windows users from the win32 build: karuvel.exe and the user guide with
# its pictures, as karuvel-<version>-win32.zip with its SHA-256 file, and prints where both are.
# The same commit gives the same zip, byte for byte, wherever and whenever it is packaged.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh >/dev/null
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target release_zip
build=$(realpath build/win32)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip=$build/package/karuvel-$version-win32.zip
[ -f "$zip" ] && [ -f "$zip.sha256" ] || { echo "package: $zip or its checksum is missing" >&2; exit 1; }
echo "package: $zip"
echo "checksum: $zip.sha256 ($(cut -d' ' -f1 "$zip.sha256"))"
