#!/usr/bin/env bash
# Builds karuvel.exe and runs it under Wine against the stand-ins: installs the demo ZMemo (the
# registry value Root, memo.ini with DSCP-enabled notes, script packages with Japanese paths),
# starts the stand-in ZMemo host and opens Karuvel. Without a display it runs on a private Xvfb,
# saves screenshots (collapsed, expanded after a switch, and a message box) and prints where they are.
# It runs the shipped 32-bit build where Wine runs 32-bit programs, and the 64-bit build elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
arch=$(tools/wine-build.sh run)
cmake --preset $arch >/dev/null
cmake --build --preset $arch -j "$(nproc)"
build=build/$arch
session=$build/wine-run
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  tools/wine-session.sh start "$session" $arch
else
  # A real display: the session's prefix and fonts on it, instead of a private Xvfb.
  KARUVEL_WINE_DISPLAY=$DISPLAY tools/wine-session.sh start "$session" $arch
fi
. tools/wine-env.sh "$session"

root='C:\ZMemo'
wine "$build/zmemo_host.exe" install-demo "$root"
wine "$build/zmemo_host.exe" serve --root "$root" </dev/null >"$session/zmemo_host.log" 2>&1 &
host=$!
cleanup() {
  kill "$host" 2>/dev/null || true
  wait "$host" 2>/dev/null || true
  tools/wine-session.sh stop "$session"
}
trap cleanup EXIT

if [ "$headless" = 1 ]; then
  shots=$(realpath -m "$build/screenshots")
  mkdir -p "$shots"
  tools/wine-run.sh "$session" "$build/demo_shots.exe" "$build/karuvel.exe" "$(winepath -w "$shots")"
  for bmp in "$shots"/karuvel-collapsed.bmp "$shots"/karuvel-expanded.bmp "$shots"/karuvel-message.bmp; do
    if command -v convert >/dev/null && convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null; then
      echo "screenshot: ${bmp%.bmp}.png"
    else
      echo "screenshot: $bmp"
    fi
  done
else
  tools/wine-run.sh "$session" "$build/karuvel.exe"
fi
