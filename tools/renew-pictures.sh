#!/usr/bin/env bash
# Renews the pictures the picture tests compare the window with, the user guide's in
# docs/guide/images and the Win32 test's in tests/pictures (at 144 DPI, under high contrast), after a
# change to what the window looks like is meant (a new version number included), or when the
# references are to be made on another machine (another Wine, FreeType or fonts): builds, takes the
# pictures as the tests do (package_check and karuvel_win_tests, in the Wine session of the build)
# and copies them over the old ones, with pictures-made-with.txt, the record of what took them. Look
# at them before committing them. The pictures are the 64-bit build's, as the tests that hold them,
# which every machine runs.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh >/dev/null
arch=win64
cmake --preset $arch >/dev/null
cmake --build --preset $arch -j "$(nproc)"
ctest --preset $arch -R '^(package_check|karuvel_win_tests)$' --output-on-failure
tests/picture_check.sh build/$arch/pictures --renew
window=$(cd build/$arch/window-pictures && ls -- *.bmp | sed 's/\.bmp$//')
tests/picture_check.sh build/$arch/window-pictures --renew tests/pictures "$window"
git status --short docs/guide/images tests/pictures
