#!/usr/bin/env bash
# Renews the user guide's pictures in docs/guide/images, which the picture test compares the window
# with, after a change to what the window looks like is meant (a new version number included):
# builds, takes the pictures as the test does (package_check, in the Wine session of the build) and
# copies them over the old ones. Look at them before committing them.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh >/dev/null
if tools/runs-32bit.sh >/dev/null; then arch=win32; else arch=win64; fi
cmake --preset $arch >/dev/null
cmake --build --preset $arch -j "$(nproc)"
ctest --preset $arch -R '^package_check$' --output-on-failure
tests/picture_check.sh build/$arch/pictures --renew
git status --short docs/guide/images
