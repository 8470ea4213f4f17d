#!/usr/bin/env bash
# Makes the release zip for Windows users from the win32 build: karuvel.exe and the user guide with
# its pictures, as karuvel-<version>-win32.zip with its SHA-256 file, and prints where both are.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target karuvel
build=$(realpath build/win32)
(cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
zip=$build/package/karuvel-$version-win32.zip
[ -f "$zip" ] && [ -f "$zip.sha256" ] || { echo "package: $zip or its checksum is missing" >&2; exit 1; }
echo "package: $zip"
echo "checksum: $zip.sha256"
