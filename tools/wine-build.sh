#!/usr/bin/env bash
# Picks the build to run under Wine here: prints win32 (the one shipped) where Wine runs 32-bit
# programs, win64 elsewhere, and says which and why on stderr, after the given name.
#   arch=$(tools/wine-build.sh run)
if why=$("$(dirname "$0")/runs-32bit.sh"); then
  echo "${1:-wine}: the win32 build (the one shipped)" >&2
  echo win32
else
  echo "${1:-wine}: the win64 build, since $why" >&2
  echo win64
fi
