# Sourced by the Wine scripts: the environment every Wine process of one session shares.
# $1 (or KARUVEL_WINE_DIR) is the session directory, normally <build>/wine. The prefix's
# architecture is KARUVEL_WINE_ARCH (win32 or win64) when set, else what the session was started
# with, else win32.
KARUVEL_WINE_DIR=$(realpath -m "${1:-${KARUVEL_WINE_DIR:?session directory not given}}")
export KARUVEL_WINE_DIR
if [ -z "${KARUVEL_WINE_ARCH:-}" ] && [ -f "$KARUVEL_WINE_DIR/arch" ]; then
  KARUVEL_WINE_ARCH=$(cat "$KARUVEL_WINE_DIR/arch")
fi
export KARUVEL_WINE_ARCH=${KARUVEL_WINE_ARCH:-win32}
export WINEARCH=$KARUVEL_WINE_ARCH
if [ "$WINEARCH" = win64 ]; then
  # A 64-bit prefix runs under the 64-bit loader, also where the 32-bit one cannot start.
  PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64:$PATH"
  export PATH
fi
export WINEPREFIX="$KARUVEL_WINE_DIR/prefix"
export WINEDEBUG=-all
# Wine sees no Linux fonts: only those wine-session.sh puts into the prefix (see wine-fonts.conf).
FONTCONFIG_FILE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-fonts.conf"
export FONTCONFIG_FILE
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
if [ -f "$KARUVEL_WINE_DIR/display" ]; then
  DISPLAY=$(cat "$KARUVEL_WINE_DIR/display")
  export DISPLAY
fi
