#!/usr/bin/env bash
# Builds karuvel.exe and starts it under Wine, with a ZMemo installation prepared in the prefix:
# the registry value Root and a memo.ini with three notes for the current user.
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
. tools/wine-env.sh "$session"

# GetUserNameA under Wine gives the Unix user name.
user_dir="$WINEPREFIX/drive_c/ZMemo/USERS/$(id -un)"
mkdir -p "$user_dir"
iconv -f UTF-8 -t CP932 > "$user_dir/memo.ini" <<'INI'
[Memo]
1_ScriptEnableDscpServer=true
1_ETag=1a2b3c4d
1_WatermarkHistory-000=C:\ZMemo\scripts\時計\clock.ugu
1_WatermarkHistory-001=C:\ZMemo\scripts\表示\display.psn
1_ScriptFileName=C:\ZMemo\scripts\表示\display.psn
2_ScriptEnableDscpServer=true
2_ETag=5e6f7a8b
2_WatermarkHistory-000=C:\ZMemo\scripts\calendar.ugu
2_ScriptFileName=C:\ZMemo\scripts\calendar.ugu
3_ScriptEnableDscpServer=false
3_ETag=9c0d1e2f
INI
sed -i 's/$/\r/' "$user_dir/memo.ini"
wine reg add 'HKCU\Software\ZZ-soft\ZMemo' /v Root /d 'C:\ZMemo' /f >/dev/null 2>&1

tools/wine-run.sh "$session" build/win32/karuvel.exe
