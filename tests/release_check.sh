#!/usr/bin/env bash
# Checks the release zip and its karuvel.exe without running either, so it holds also where Wine
# cannot run the build: the zip made twice, in two time zones, gives the same bytes and holds
# nothing of the time or machine it was made on; its checksum and files are right; its karuvel.exe
# is a Windows GUI program for the build's processor with no time stamp and no build path in it,
# needing only Windows' own DLLs (no MinGW runtime beside it), terminal-server aware, carrying the
# project's version, the holder and copyright line of its LICENSE, and a manifest for that processor
# and for Windows 7 to 11. The exe's headers are read as numbers from its bytes, so neither the
# time zone nor a tool's wording changes what is checked.
#   release_check.sh <build dir> <version> <win32|win64>
set -euo pipefail
build=$(realpath "${1:?build directory}")
version=${2:?version}
arch=${3:?win32 or win64}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
# What each build must be, written here rather than taken from the build: the COFF machine, the
# optional header's magic and the processor its manifest names.
case "$arch" in
  win32) tool=i686-w64-mingw32 machine=0x014c magic=0x010b manifest=x86 kind='PE32 for i686' ;;
  win64) tool=x86_64-w64-mingw32 machine=0x8664 magic=0x020b manifest=amd64 kind='PE32+ for x86_64' ;;
  *) echo "release_check: no such build kind: $arch" >&2; exit 2 ;;
esac
failures=0
fail() { echo "release_check: $*" >&2; failures=$((failures + 1)); }

top=karuvel-$version-$arch
zip=$build/package/$top.zip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DBUILD="$build" -DNAME="$top" -P "$source_dir/cmake/release_zip.cmake"
# The second packaging at UTC+14, a zone no machine here is in, so a local time that leaks in differs.
TZ=Pacific/Kiritimati cmake -DBUILD="$build" -DNAME="$top" -DOUT="$work/again" -P "$source_dir/cmake/release_zip.cmake"
cmp -s "$zip" "$work/again/$top.zip" || fail "two packagings of the same build differ"
# Nothing of the machine or the time of packaging: one fixed date, no extra fields (zipinfo's "-").
# A file pattern leaves out zipinfo's header and totals, so every line is an entry.
entries=$(zipinfo -s "$zip" '*') || entries=
[ -n "$entries" ] || fail "zipinfo lists no entries in $top.zip"
odd=$(awk '!($5 ~ /^[bt]-$/ && $7 == "00-Jan-01" && $8 == "00:00")' <<<"$entries")
[ -z "$odd" ] || fail "entries with a date of their own or extra fields:"$'\n'"$odd"
# The sum as a user's sha256sum computes it, and the line it checks: "<sum>  <zip's bare name>".
sum=$(sha256sum <"$zip" | cut -d' ' -f1)
[ "$(cat "$zip.sha256")" = "$sum  $top.zip" ] ||
  fail "$top.zip.sha256 holds '$(cat "$zip.sha256")', not '$sum  $top.zip'"
expected="$top/LICENSE
$top/images/karuvel-collapsed.png
$top/images/karuvel-expanded.png
$top/images/karuvel-message.png
$top/karuvel-guide.html
$top/karuvel.exe"
if ! diff <(echo "$expected") <(cmake -E tar tf "$zip" | LC_ALL=C sort); then
  fail "$top.zip does not hold what it should (diff above: expected, then found)"
fi

(cd "$work" && cmake -E tar xf "$zip")
exe=$work/$top/karuvel.exe
[ -f "$exe" ] || { fail "$top.zip holds no karuvel.exe to check"; exit 1; }
# An unsigned little-endian number of $2 bytes at offset $1 of the exe; nothing past its end.
number() { od -An -t "u$2" -j "$1" -N "$2" --endian=little "$exe" 2>/dev/null | tr -d ' \n' || true; }
hex() { if [ -n "$1" ]; then printf '0x%04x' "$1"; else printf 'nothing'; fi; }
pe=$(number 60 4) found_machine=nothing
if [ "$(head -c 2 "$exe")" != MZ ] || [ -z "$pe" ] || [ "$(number "$pe" 4)" != $((0x4550)) ]; then
  fail "karuvel.exe is no PE file: it starts with '$(head -c 2 "$exe")', its PE header offset at 0x3C is ${pe:-missing}, and no PE\\0\\0 is there"
else
  # The COFF header right after the signature, the optional header after its 20 bytes; the
  # subsystem sits at the same place in PE32 and PE32+.
  coff=$((pe + 4)) optional=$((pe + 24))
  found_machine=$(hex "$(number "$coff" 2)") stamp=$(number $((coff + 4)) 4) flags=$(number $((coff + 18)) 2)
  found_magic=$(hex "$(number "$optional" 2)") subsystem=$(number $((optional + 68)) 2)
  dll_flags=$(number $((optional + 70)) 2)
  [ "$found_machine" = "$machine" ] || fail "karuvel.exe is for machine $found_machine, not $machine ($kind)"
  [ "$found_magic" = "$magic" ] || fail "karuvel.exe's optional header magic is $found_magic, not $magic ($kind)"
  [ "$stamp" = 0 ] ||
    fail "karuvel.exe has a link time stamp: ${stamp:-nothing} ($(date -u -d "@${stamp:-0}" '+%F %T UTC')), not 0"
  [ "$subsystem" = 2 ] || fail "karuvel.exe's subsystem is ${subsystem:-nothing}, not 2 (Windows GUI)"
  (( (${dll_flags:-0} & 0x8000) != 0 )) ||
    fail "karuvel.exe is not terminal-server aware: its DllCharacteristics $(hex "$dll_flags") lack 0x8000"
  # IMAGE_FILE_EXECUTABLE_IMAGE set, IMAGE_FILE_DLL clear.
  (( (${flags:-0} & 0x2002) == 0x0002 )) ||
    fail "karuvel.exe's characteristics $(hex "$flags") do not make it a program (0x0002 set, 0x2000 clear)"
fi
for path in "$source_dir" "$build"; do
  ! grep -qaF "$path" "$exe" || fail "karuvel.exe holds the build path $path"
done
# Windows' own DLLs only: what MinGW would add (its C++, gcc or thread runtime) is not among them.
dlls=$({ "$tool-objdump" -p "$exe" || true; } | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
[ -n "$dlls" ] || fail "objdump finds no imported DLL in karuvel.exe"
for dll in $dlls; do
  case "$dll" in
    advapi32.dll|comctl32.dll|gdi32.dll|imm32.dll|kernel32.dll|msvcrt.dll|ole32.dll|oleaut32.dll|shell32.dll|user32.dll) ;;
    *) fail "karuvel.exe needs $dll, which is not one of Windows' own DLLs" ;;
  esac
done
resources=$("$tool-windres" -i "$exe" -O rc) || resources=
major=${version%%.*} minor=${version#*.}
grep -q "^ FILEVERSION $major, $minor, 0, 0$" <<<"$resources" || fail "karuvel.exe's file version is not $version"
grep -q "VALUE \"ProductVersion\", \"$version\"" <<<"$resources" || fail "karuvel.exe's product version is not $version"
# The version's text too, the holder and copyright line as the zip's LICENSE states them, and in the
# manifest the DPI asked for (the monitor's on Windows 10 and 11, the system's before) and common
# controls 6.
copyright=$(grep -m 1 '^Copyright ' "$work/$top/LICENSE" || true)
for part in "VALUE \"FileVersion\", \"$version\"" "VALUE \"LegalCopyright\", \"$copyright\"" \
            "VALUE \"CompanyName\", \"$(sed 's/^Copyright ([cC]) [0-9, -]* //' <<<"$copyright")\"" \
            '>PerMonitorV2, PerMonitor</dpiAwareness>' '>true</dpiAware>' \
            'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""'; do
  grep -qF -- "$part" <<<"$resources" || fail "karuvel.exe's resources lack $part"
done
# The program and its common controls both of the processor whose machine the header holds:
# Windows refuses a mix.
archs=$(grep -o 'processorArchitecture=""[a-z0-9*]*""' <<<"$resources" | sort | uniq -c | tr -s ' ' || true)
[ "$archs" = " 2 processorArchitecture=\"\"$manifest\"\"" ] ||
  fail "karuvel.exe's manifest should name $manifest (machine $machine; its header says $found_machine) for itself and its common controls; it names: ${archs:-none}"
# Windows' own ids of the versions the program is made for; with another id Windows would run it
# in a mode made for an older version.
windows="35138b9a-5d96-4fbd-8e2d-a2440225f93a Windows 7
4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 Windows 8
1f676c76-80e1-4239-95bb-83d0f6d0da78 Windows 8.1
8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a Windows 10 and 11"
ids=$(grep -o 'supportedOS Id=""{[^}]*}""' <<<"$resources" | cut -d'{' -f2 | cut -d'}' -f1 | tr 'A-F' 'a-f' || true)
while read -r id name; do
  grep -qx "$id" <<<"$ids" || fail "karuvel.exe's manifest does not name $name ({$id})"
done <<<"$windows"
others=$(grep -vxF -f <(cut -d' ' -f1 <<<"$windows") <<<"$ids" || true)
[ -z "$others" ] || fail "karuvel.exe's manifest names ids of no Windows it is made for: $others"

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
echo "release_check: $top.zip ($(cut -c1-12 "$zip.sha256")...) holds $(echo "$expected" | wc -l) files; its karuvel.exe is a $kind GUI program needing only ${dlls% }"
