#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time.
#   tools/fuzz.sh            a minute per target
#   tools/fuzz.sh --short    a few seconds per target
#   tools/fuzz.sh -t SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=60
case "${1:-}" in
  --short) seconds=5 ;;
  -t) seconds=${2:?seconds} ;;
  "") ;;
  *) echo "usage: $0 [--short | -t SECONDS]" >&2; exit 2 ;;
esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
out=build/fuzz/runs
mkdir -p "$out"
status=0
for target in build/fuzz/bench/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$out/$name.corpus"
  mkdir -p "$corpus"
  seeds=bench/fuzz/seeds/$name
  [ -d "$seeds" ] || seeds=
  # rss_limit bounds memory and timeout catches a hang; a crash, leak or sanitizer report fails the run.
  if "$target" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=10 -max_len=65536 -print_final_stats=1 \
       -artifact_prefix="$out/$name-" "$corpus" $seeds >"$out/$name.log" 2>&1; then
    runs=$(grep -E '^stat::number_of_executed_units' "$out/$name.log" | awk '{print $2}')
    rss=$(grep -E '^stat::peak_rss_mb' "$out/$name.log" | awk '{print $2}')
    cases=$(find "$corpus" -type f | wc -l)
    echo "fuzz: $name ok, ${runs:-?} executions in ${seconds}s, corpus $cases inputs, peak ${rss:-?} MB"
  else
    echo "fuzz: $name FAILED, see $out/$name.log"
    tail -30 "$out/$name.log"
    status=1
  fi
done
exit $status
