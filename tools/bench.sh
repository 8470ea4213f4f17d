#!/usr/bin/env bash
# Runs the benchmarks under Wine in a session of their own: start-up beside an empty and a floor
# window, and the switch through the real library boundary. The win32 build where Wine runs 32-bit
# programs, the win64 build elsewhere; the first line says which. Figures only, nothing asserted.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh >/dev/null
arch=$(tools/wine-build.sh bench)
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" -j "$(nproc)" >/dev/null
build=build/$arch
session=$build/wine-bench
tools/wine-session.sh start "$session" "$arch" >/dev/null
trap 'tools/wine-session.sh stop "$session"' EXIT
tools/wine-run.sh "$session" "$build/bench/win32/startup_bench.exe" "$build/karuvel.exe" \
  "$build/bench/win32/empty_window.exe" "$build/bench/win32/floor_window.exe"
tools/wine-run.sh "$session" "$build/bench/win32/dscp_switch_bench.exe" "$(. tools/wine-env.sh "$session"; winepath -w "$build")"
