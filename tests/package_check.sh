#!/usr/bin/env bash
# Runs the release zip as a user gets it (made and read by release_check.sh): unpacks it into a
# fresh folder of the Wine prefix beside the stand-in chc_dscp.dll, and runs that karuvel.exe
# against the stand-in host until it lists the demo notes and switches one. On the way it takes the
# demo's three pictures into <build dir>/pictures, where picture_check.sh compares them with the
# guide's: the same demo as tools/run.sh, under the same root.
#   package_check.sh <build dir> <version> <win32|win64>      (inside the Wine session of that build)
set -euo pipefail
build=$(realpath "${1:?build directory}")
version=${2:?version}
arch=${3:?win32 or win64}
tools=$(cd "$(dirname "$0")/../tools" && pwd)
# shellcheck source=../tools/wine-env.sh
. "$tools/wine-env.sh" "$build/wine"

top=karuvel-$version-$arch
zip=$build/package/$top.zip
[ -f "$zip" ] || { echo "package_check: $zip is missing; release_check.sh makes it" >&2; exit 1; }

folder=$(mktemp -d "$WINEPREFIX/drive_c/package-check.XXXXXX")
host=
cleanup() {
  if [ -n "$host" ]; then kill "$host" 2>/dev/null || true; wait "$host" 2>/dev/null || true; fi
  "$tools/wine-run.sh" "$build/wine" reg delete 'HKCU\Software\ZZ-soft' /f >/dev/null 2>&1 || true
  rm -rf "$folder"
}
trap cleanup EXIT
(cd "$folder" && cmake -E tar xf "$zip")
cp "$build/chc_dscp.dll" "$folder/$top/"

# The stand-in host on a port of its own, so other Wine sessions on this machine cannot answer.
root='C:\ZMemo'
"$tools/wine-run.sh" "$build/wine" "$build/zmemo_host.exe" install-demo "$root"
for _ in 1 2 3; do
  export KARUVEL_DSCP_PORT=$((30000 + RANDOM % 20000))
  rm -f "$folder/ready"
  wine "$build/zmemo_host.exe" serve --root "$root" --ready "$(winepath -w "$folder/ready")" \
    </dev/null >"$folder/zmemo_host.log" 2>&1 &
  host=$!
  for _ in $(seq 100); do [ -f "$folder/ready" ] || ! kill -0 "$host" 2>/dev/null && break; sleep 0.05; done
  [ -f "$folder/ready" ] && break
  kill "$host" 2>/dev/null || true; wait "$host" 2>/dev/null || true; host=
done
[ -n "$host" ] || { echo "package_check: the stand-in host did not start" >&2; exit 1; }

rm -rf "$build/pictures"
mkdir -p "$build/pictures"
# The session's DPI and font smoothing once more, whatever a test before left in the prefix (the
# DPI test sets 120), and beside the pictures the record of what took them.
"$tools/wine-run.sh" "$build/wine" regedit /S "$(winepath -w "$KARUVEL_WINE_DIR/desktop.reg")"
cp "$KARUVEL_WINE_DIR/made-with.txt" "$build/pictures/pictures-made-with.txt"
"$tools/wine-run.sh" "$build/wine" "$build/demo_shots.exe" "$(winepath -w "$folder/$top/karuvel.exe")" \
  "$(winepath -w "$build/pictures")"
echo "package_check: the karuvel.exe of $top.zip listed the demo notes and switched"
