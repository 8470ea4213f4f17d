#!/usr/bin/env bash
# Renews the user guide's pictures in docs/guide/images, which the picture test compares the window
# with, after a change to what the window looks like is meant (a new version number included), or
# when the references are to be made on another machine (another Wine, FreeType or fonts): builds,
# takes the pictures as the test does (package_check, in the Wine session of the build) and copies
# them over the old ones, with pictures-made-with.txt, the record of what took them. Look at them
# before committing them. The pictures are the 64-bit build's, as the test that holds them, which
# every machine runs.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh >/dev/null
arch=win64
cmake --preset $arch >/dev/null
cmake --build --preset $arch -j "$(nproc)"
ctest --preset $arch -R '^package_check$' --output-on-failure
tests/picture_check.sh build/$arch/pictures --renew
git status --short docs/guide/images
