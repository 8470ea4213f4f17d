#!/usr/bin/env bash
# Builds karuvel.exe and starts it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)"
session=build/win32/wine-run
if [ -z "${DISPLAY:-}" ]; then
  tools/wine-session.sh start "$session"
else
  # A real display: use it instead of a private Xvfb.
  . tools/wine-env.sh "$session"
  mkdir -p "$session"
  echo "$DISPLAY" > "$session/display"
fi
tools/wine-run.sh "$session" build/win32/karuvel.exe
