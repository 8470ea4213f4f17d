#!/usr/bin/env bash
# Checks the release zip and its karuvel.exe without running either, so it holds also where Wine
# cannot run the build: the zip made twice gives the same bytes and holds nothing of the time or
# machine it was made on; its checksum and files are right; its karuvel.exe is the one built, a
# Windows GUI program for the build's processor with no time stamp and no build path in it, needing
# only Windows' own DLLs (no MinGW runtime beside it), carrying the project's version and a
# manifest for its processor.
#   release_check.sh <build dir> <version> <win32|win64>
set -euo pipefail
build=$(realpath "${1:?build directory}")
version=${2:?version}
arch=${3:?win32 or win64}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
case "$arch" in
  win32) tool=i686-w64-mingw32 kind='PE32 executable (GUI) Intel 80386' manifest=x86 ;;
  win64) tool=x86_64-w64-mingw32 kind='PE32+ executable (GUI) x86-64' manifest=amd64 ;;
  *) echo "release_check: no such build kind: $arch" >&2; exit 2 ;;
esac
failures=0
fail() { echo "release_check: $*" >&2; failures=$((failures + 1)); }

top=karuvel-$version-$arch
zip=$build/package/$top.zip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DBUILD="$build" -DNAME="$top" -P "$source_dir/cmake/release_zip.cmake"
cmake -DBUILD="$build" -DNAME="$top" -DOUT="$work/again" -P "$source_dir/cmake/release_zip.cmake"
cmp -s "$zip" "$work/again/$top.zip" || fail "two packagings of the same build differ"
# Nothing of the machine or the time of packaging: one fixed date, no extra fields (zipinfo's "-").
odd=$(zipinfo "$zip" | awk '$2 == "3.0" && !($5 ~ /^[bt]-$/ && $7 == "00-Jan-01" && $8 == "00:00")')
[ -z "$odd" ] || fail "entries with a date of their own or extra fields: $odd"
(cd "$build/package" && sha256sum --quiet -c "$top.zip.sha256") || fail "$top.zip does not match its checksum"
expected="$top/images/karuvel-collapsed.png
$top/images/karuvel-expanded.png
$top/images/karuvel-message.png
$top/karuvel-guide.html
$top/karuvel.exe"
if ! diff <(echo "$expected") <(cmake -E tar tf "$zip" | LC_ALL=C sort); then
  fail "$top.zip does not hold what it should (diff above: expected, then found)"
fi

(cd "$work" && cmake -E tar xf "$zip")
exe=$work/$top/karuvel.exe
cmp -s "$exe" "$build/karuvel.exe" || fail "the zip's karuvel.exe is not the one built in $build"
[[ "$(file -b "$exe")" == "$kind"*", for MS Windows"* ]] || fail "karuvel.exe is a $(file -b "$exe"), not a $kind"
headers=$("$tool-objdump" -p "$exe")
grep -q '^Time/Date[[:space:]]*Thu Jan  1 00:00:00 1970$' <<<"$headers" || fail "karuvel.exe has a link time stamp"
for path in "$source_dir" "$build"; do
  ! grep -qaF "$path" "$exe" || fail "karuvel.exe holds the build path $path"
done
# Windows' own DLLs only: what MinGW would add (its C++, gcc or thread runtime) is not among them.
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
for dll in $dlls; do
  case "$dll" in
    advapi32.dll|comctl32.dll|gdi32.dll|kernel32.dll|msvcrt.dll|ole32.dll|shell32.dll|user32.dll) ;;
    *) fail "karuvel.exe needs $dll, which is not one of Windows' own DLLs" ;;
  esac
done
resources=$("$tool-windres" -i "$exe" -O rc)
major=${version%%.*} minor=${version#*.}
grep -q "^ FILEVERSION $major, $minor, 0, 0$" <<<"$resources" || fail "karuvel.exe's file version is not $version"
grep -q "VALUE \"ProductVersion\", \"$version\"" <<<"$resources" || fail "karuvel.exe's product version is not $version"
archs=$(grep -o 'processorArchitecture=""[a-z0-9*]*""' <<<"$resources" | sort | uniq -c | tr -s ' ')
[ "$archs" = " 2 processorArchitecture=\"\"$manifest\"\"" ] ||
  fail "karuvel.exe's manifest names processors other than $manifest for itself and its common controls: $archs"
[ "$(grep -c '<supportedOS Id=' <<<"$resources")" = 4 ] || fail "karuvel.exe's manifest does not name Windows 7 to 11"

# Karuvel's icon: the first icon group, the one Explorer shows, is id 1, the one the window loads,
# and holds every size Windows picks from, 16 to 256 pixels, each once and square.
icon_sizes="16x16 20x20 24x24 32x32 40x40 48x48 64x64 256x256"
if ! command -v wrestool >/dev/null || ! command -v icotool >/dev/null; then
  fail "reading karuvel.exe's icon needs wrestool and icotool (icoutils; tools/setup.sh installs it)"
else
  first_group=$(wrestool -l --type=14 "$exe" 2>/dev/null | sed -n 1p)
  if [[ "$first_group" != "--type=14 --name=1 "* ]]; then
    fail "karuvel.exe's first icon group is not id 1, the one its window loads: ${first_group:-no icon at all}"
  else
    wrestool -x --type=14 --name=1 "$exe" >"$work/karuvel.ico"
    found_sizes=$(icotool -l "$work/karuvel.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\) .*/\1x\2/p' |
                  sort -n | tr '\n' ' ')
    [ "$found_sizes" = "$icon_sizes " ] ||
      fail "karuvel.exe's icon holds ${found_sizes:-no image}instead of $icon_sizes"
  fi
fi

if [ "$failures" -gt 0 ]; then exit 1; fi
echo "release_check: $top.zip ($(cut -c1-12 "$zip.sha256")...) holds $(echo "$expected" | wc -l) files; its karuvel.exe is a $kind needing only $dlls"
