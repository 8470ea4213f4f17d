#!/usr/bin/env bash
# Runs every test: set-up, the native unit tests, the same under ASan/UBSan, and the Wine suite (the
# Win32 tests, the end-to-end tests and the release zip run as a user gets it) on the 64-bit build
# everywhere and on the shipped 32-bit build where Wine runs 32-bit programs. Where it does not, the
# 32-bit build and its release zip are built and checked without running them. The last line says
# which builds ran and why.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
jobs=$(nproc)

for preset in native native-asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

for preset in win64 win32; do cmake --preset "$preset" >/dev/null; done
cmake --build --preset win64 -j "$jobs"
# The 32-bit build compiles while the Wine suite, which mostly waits on the window, runs on the
# 64-bit one; its output follows once both are done.
log=build/win32-build.log
cmake --build --preset win32 -j "$jobs" >"$log" 2>&1 &
build32=$!
suite=0
ctest --preset win64 || suite=$?
built=0
wait "$build32" || built=$?
cat "$log"
[ "$built" -eq 0 ] || { echo "test: the win32 build failed" >&2; exit "$built"; }
[ "$suite" -eq 0 ] || exit "$suite"
# The release checks once more nine hours east of UTC: what they read must not move with the zone.
TZ=Asia/Tokyo ctest --preset win32 --label-regex release
if why=$(tools/runs-32bit.sh); then
  ctest --preset win32
  echo "test: the Wine suite ran on the win32 and the win64 build"
else
  ctest --preset win32 --label-regex release
  echo "test: the Wine suite ran on the win64 build; the win32 build (the release) was built and its exe and zip checked without running them, since $why"
fi
