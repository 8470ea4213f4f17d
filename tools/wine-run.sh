#!/usr/bin/env bash
# Runs a Windows program in the session started by wine-session.sh; the exit code passes through.
#   wine-run.sh <session dir> <program.exe> [args...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "${1:?session directory}"
shift
[ -n "${DISPLAY:-}" ] || { echo "wine-run: no session display; run wine-session.sh start first" >&2; exit 2; }
# Wine's own helper processes (services, the desktop) outlive the program and would hold on to our
# stdout; CTest waits for every holder of its pipe. Give Wine a file and copy it out afterwards.
log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$log"' EXIT
rc=0
wine "$@" </dev/null >"$log" 2>&1 || rc=$?
cat "$log"
exit $rc
