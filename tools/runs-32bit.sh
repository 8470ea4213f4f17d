#!/usr/bin/env bash
# Tells whether Wine runs 32-bit Windows programs on this machine: exit 0 where it does; otherwise
# prints why on one line and exits 1. Some kernels run no 32-bit program at all, and then neither
# Wine loader can run 32-bit code. KARUVEL_NO_32BIT=1 makes any machine answer as one without.
if [ "${KARUVEL_NO_32BIT:-}" = 1 ]; then
  echo "KARUVEL_NO_32BIT=1 is set"
  exit 1
fi
loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
  echo "Wine's 32-bit loader $loader is not installed"
  exit 1
fi
if ! out=$("$loader" --version 2>&1); then
  echo "Wine's 32-bit loader cannot start here: $(echo "$out" | tail -n 1 | sed 's/^.*line [0-9]*: //')"
  exit 1
fi
exit 0
