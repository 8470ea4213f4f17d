#!/usr/bin/env bash
# Starts or stops one Wine test session: a prefix inside the build tree (32-bit, or 64-bit for the
# win64 build), a private Xvfb display and a persistent wineserver, so each test process does not
# pay Wine's start-up. A session that cannot start says why: the loader's or wineboot's own words.
#   wine-session.sh start <dir> [win32|win64]     wine-session.sh stop <dir>
# With KARUVEL_WINE_DISPLAY set, the session uses that display instead of a private Xvfb.
# Each start also sets what Wine draws with besides the fonts (DPI, font smoothing) and writes
# <dir>/made-with.txt, the record of what draws in the session that the picture test compares.
set -euo pipefail
cmd=${1:?start or stop}
here=$(cd "$(dirname "$0")" && pwd)
if [ "$cmd" = start ]; then
  KARUVEL_WINE_ARCH=${3:-win32}
  case "$KARUVEL_WINE_ARCH" in win32|win64) ;; *) echo "wine session: no such prefix kind: $KARUVEL_WINE_ARCH" >&2; exit 2 ;; esac
  export KARUVEL_WINE_ARCH
fi
# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "${2:?session directory}"
mkdir -p "$KARUVEL_WINE_DIR"

stop_session() {
  if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -f "$KARUVEL_WINE_DIR/xvfb.pid" ]; then
    kill "$(cat "$KARUVEL_WINE_DIR/xvfb.pid")" 2>/dev/null || true
    rm -f "$KARUVEL_WINE_DIR/xvfb.pid"
  fi
  rm -f "$KARUVEL_WINE_DIR/display"
}

case "$cmd" in
  stop) stop_session; exit 0 ;;
  start) ;;
  *) echo "usage: $0 start <dir> [win32|win64] | stop <dir>" >&2; exit 2 ;;
esac

stop_session
echo "$KARUVEL_WINE_ARCH" > "$KARUVEL_WINE_DIR/arch"

# Prints what a failed step said, and fails the start.
fail() {
  echo "wine session: $2 failed (exit $1) for a $KARUVEL_WINE_ARCH prefix in $WINEPREFIX:" >&2
  sed 's/^/  /' "$3" >&2
  stop_session
  exit 1
}
steplog=$KARUVEL_WINE_DIR/step.log
wine --version >"$steplog" 2>&1 || fail $? "Wine's loader ($(command -v wine))" "$steplog"

screen=1280x1024x24
if [ -n "${KARUVEL_WINE_DISPLAY:-}" ]; then
  # The caller's own display (tools/run.sh on a desktop).
  echo "$KARUVEL_WINE_DISPLAY" > "$KARUVEL_WINE_DIR/display"
else
  # A private display: Xvfb picks a free number and reports it on the given descriptor.
  exec 3> "$KARUVEL_WINE_DIR/display.fd"
  setsid Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp </dev/null >"$KARUVEL_WINE_DIR/xvfb.log" 2>&1 &
  echo $! > "$KARUVEL_WINE_DIR/xvfb.pid"
  exec 3>&-
  for _ in $(seq 100); do
    [ -s "$KARUVEL_WINE_DIR/display.fd" ] && break
    sleep 0.05
  done
  [ -s "$KARUVEL_WINE_DIR/display.fd" ] || fail 1 Xvfb "$KARUVEL_WINE_DIR/xvfb.log"
  echo ":$(tr -d '\n' < "$KARUVEL_WINE_DIR/display.fd")" > "$KARUVEL_WINE_DIR/display"
  rm -f "$KARUVEL_WINE_DIR/display.fd"
fi
DISPLAY=$(cat "$KARUVEL_WINE_DIR/display")
export DISPLAY

# Every font Wine draws with in the session, each from a Debian package that tools/setup.sh
# installs. Wine loads all fonts in the prefix's Fonts folder, and through wine-fonts.conf no others
# (without it Wine takes every font fontconfig knows, so a machine with more fonts draws another
# window), so the window looks the same on every machine.
fonts_used=(
  /usr/share/wine/fonts/marlett.ttf                  # fonts-wine: caption buttons (else "0 1 r")
  /usr/share/wine/fonts/tahoma.ttf                   # fonts-wine: Tahoma
  /usr/share/wine/fonts/tahomabd.ttf                 #   and its bold
  /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf  # fonts-ipafont-gothic: IPAGothic (fixed pitch)
  /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf #   and IPAPGothic (proportional)
  /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf  # fonts-liberation: Liberation Sans
  /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf     #   and its bold
  /usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Black.ttf  # fonts-roboto-unhinted: Roboto Black
)
for font in "${fonts_used[@]}"; do
  [ -f "$font" ] || { echo "wine session: $font is missing; tools/setup.sh installs it" >&2; stop_session; exit 1; }
done

# The faces asked for, mapped to those fonts. The main window asks for ＭＳ ゴシック or MS Gothic
# (fixed pitch, as IPAGothic), and for Arial Black, Arial or Tahoma at black weight for its title and
# version: Roboto Black is a sans-serif of that weight whose family name is "Roboto Black", as
# Arial Black's is "Arial Black". Wine's captions, dialogs and message boxes ask for MS Shell Dlg,
# which a Japanese prefix substitutes by MS UI Gothic, a proportional face as IPAPGothic is; with a
# fixed-pitch one the first line of Karuvel's longest messages no longer fits Wine's message box.
cat > "$KARUVEL_WINE_DIR/prefix.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAPGothic"
"Arial Black"="Roboto Black"
"Arial"="Liberation Sans"
REG

# A prefix made with other settings or other font files is made anew.
ready="$KARUVEL_WINE_ARCH $(cat "$KARUVEL_WINE_DIR/prefix.reg" "${fonts_used[@]}" | sha256sum | cut -c1-16)"
if [ "$(cat "$WINEPREFIX/.karuvel-ready" 2>/dev/null)" != "$ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >"$steplog" 2>&1 || fail $? wineboot "$steplog"
  wineserver -w
  wine regedit /S "$(winepath -w "$KARUVEL_WINE_DIR/prefix.reg")" >"$steplog" 2>&1 || fail $? regedit "$steplog"
  # The full-width name of the Japanese system font, written through the registry API so its
  # UTF-16 reaches the prefix intact.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d IPAGothic /f >"$steplog" 2>&1 ||
    fail $? "reg add" "$steplog"
  wineserver -w
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp "${fonts_used[@]}" "$WINEPREFIX/drive_c/windows/Fonts/"
  echo "$ready" > "$WINEPREFIX/.karuvel-ready"
fi

# The persistent server; later wine processes attach to it.
wineserver -p </dev/null >/dev/null 2>&1

# 96 DPI, the font smoothing of a new Wine 8 prefix (on, greyscale, gamma 0, RGB), which the
# guide's pictures were taken with, and the title bar's own height, set at every start: a test
# that changed them and died before putting them back must not change what later sessions draw.
# Wine takes the user's LogPixels, else the machine's, else 96; both are set so that removing the
# user's value changes nothing.
# package_check.sh imports this file again right before it takes the pictures.
dpi=96
cat > "$KARUVEL_WINE_DIR/desktop.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:$(printf %08x $dpi)
"FontSmoothing"="2"
"FontSmoothingType"=dword:00000001
"FontSmoothingGamma"=dword:00000000
"FontSmoothingOrientation"=dword:00000001

[HKEY_CURRENT_USER\Control Panel\Desktop\WindowMetrics]
"CaptionHeight"=-

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]
"LogPixels"=dword:$(printf %08x $dpi)
REG
# The first Wine process starts Wine's helper processes, which live as long as the server and
# keep its output open: a caller waiting on that output (CTest) would wait forever. So to a file.
desktop=$(winepath -w "$KARUVEL_WINE_DIR/desktop.reg" 2>"$steplog") || fail $? winepath "$steplog"
wine regedit /S "$desktop" </dev/null >"$steplog" 2>&1 || fail $? regedit "$steplog"

# What draws in this session, as "key: value" lines: Wine, the Debian packages of Wine and of the
# fonts and FreeType it draws with, the screen, the prefix (its kind and a digest of its settings
# and font files) and the settings above as the prefix now holds them. The picture test compares it
# with the record kept beside the references.
wine reg query 'HKCU\Control Panel\Desktop' </dev/null >"$steplog" 2>&1 || fail $? "reg query" "$steplog"
# The loader and the FreeType it draws with are the machine's own for win64, i386 ones for win32.
loader=wine32 libs=i386
if [ "$KARUVEL_WINE_ARCH" = win64 ]; then loader=wine64 libs=$(dpkg --print-architecture 2>/dev/null || true); fi
{
  echo "wine --version: $(wine --version 2>&1)"
  for p in wine $loader:$libs libfreetype6:$libs fonts-ipafont-gothic fonts-liberation fonts-roboto-unhinted fonts-wine; do
    echo "${p%:*}: $(dpkg-query -W -f='${Version}' "$p" 2>/dev/null || echo not installed)"
  done
  if [ -n "${KARUVEL_WINE_DISPLAY:-}" ]; then echo "screen: the display $KARUVEL_WINE_DISPLAY"; else echo "screen: Xvfb $screen"; fi
  echo "prefix: $ready"
  tr -d '\r' < "$steplog" | while read -r name _ value; do
    case "$name" in LogPixels|FontSmoothing*) echo "$name: $((value))" ;; esac
  done
} > "$KARUVEL_WINE_DIR/made-with.txt"
echo "wine session: $KARUVEL_WINE_ARCH prefix $WINEPREFIX, display $DISPLAY"
