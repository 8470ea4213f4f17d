# Sourced by the Wine scripts: the environment every Wine process of one session shares.
# $1 (or KARUVEL_WINE_DIR) is the session directory, normally <build>/wine.
KARUVEL_WINE_DIR=$(realpath -m "${1:-${KARUVEL_WINE_DIR:?session directory not given}}")
export KARUVEL_WINE_DIR
export WINEPREFIX="$KARUVEL_WINE_DIR/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
if [ -f "$KARUVEL_WINE_DIR/display" ]; then
  DISPLAY=$(cat "$KARUVEL_WINE_DIR/display")
  export DISPLAY
fi
