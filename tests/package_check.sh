#!/usr/bin/env bash
# Checks the release zip as a user gets it: makes it with CPack, checks its checksum and its list of
# files, unpacks it into a fresh folder of the Wine prefix beside the stand-in chc_dscp.dll, and runs
# that karuvel.exe against the stand-in host until it lists the demo notes and switches one.
#   package_check.sh <win32 build dir> <version>      (inside the Wine session of that build)
set -euo pipefail
build=$(realpath "${1:?build directory}")
version=${2:?version}
tools=$(cd "$(dirname "$0")/../tools" && pwd)
# shellcheck source=../tools/wine-env.sh
. "$tools/wine-env.sh" "$build/wine"

(cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
top=karuvel-$version-win32
zip=$build/package/$top.zip
(cd "$build/package" && sha256sum --quiet -c "$top.zip.sha256")
expected="$top/images/
$top/images/karuvel-collapsed.png
$top/images/karuvel-expanded.png
$top/images/karuvel-message.png
$top/karuvel-guide.md
$top/karuvel.exe"
if ! diff <(echo "$expected") <(cmake -E tar tf "$zip" | LC_ALL=C sort); then
  echo "package_check: $top.zip does not hold what it should (diff above: expected, then found)" >&2
  exit 1
fi

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
root='C:\ZMemo パッケージ'
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

"$tools/wine-run.sh" "$build/wine" "$build/demo_shots.exe" "$(winepath -w "$folder/$top/karuvel.exe")" \
  "$(winepath -w "$folder")"
echo "package_check: $top.zip holds its $(echo "$expected" | wc -l) entries; its karuvel.exe listed the demo notes and switched"
