#!/usr/bin/env bash
# Makes the release zip for Windows users from the win32 build: karuvel.exe and the user guide with
# its pictures, as karuvel-<version>-win32.zip with its SHA-256 file, and prints where both are.
# The same commit gives the same zip, byte for byte, wherever and whenever it is packaged.
# Where Wine runs no 32-bit program, so the shipped build's Wine suite cannot run, it refuses unless
# told that the zip is untested:
#   tools/package.sh [--untested]
set -euo pipefail
cd "$(dirname "$0")/.."
untested=0
case "${1:-}" in
  --untested) untested=1 ;;
  '') ;;
  *) echo "usage: tools/package.sh [--untested]" >&2; exit 2 ;;
esac
tools/setup.sh >/dev/null
# After the set-up, which installs the 32-bit loader the probe tries.
if [ "$untested" = 0 ] && ! why=$(tools/runs-32bit.sh); then
  echo "package: no release zip: the win32 build's Wine suite cannot run here ($why); tools/package.sh --untested makes one untested" >&2
  exit 1
fi
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target release_zip
build=$(realpath build/win32)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip=$build/package/karuvel-$version-win32.zip
[ -f "$zip" ] && [ -f "$zip.sha256" ] || { echo "package: $zip or its checksum is missing" >&2; exit 1; }
echo "package: $zip"
echo "checksum: $zip.sha256 ($(cut -d' ' -f1 "$zip.sha256"))"
