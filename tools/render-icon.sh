#!/usr/bin/env bash
# Renders Karuvel's icon from its drawings in shell/icon/ and packs it into shell/karuvel.ico, which
# is committed: the build takes the .ico and needs none of these tools. 16, 20 and 24 pixels each have
# a drawing on their own pixel grid (karuvel.svg scaled down that far blurs); 32 to 256 come from
# karuvel.svg. The 256-pixel image goes into the .ico as PNG, the smaller ones as 32-bit bitmaps with alpha.
#   render-icon.sh [folder]   the PNGs are also kept in the folder, to look at them
# Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
drawings=$source_dir/shell/icon
ico=$source_dir/shell/karuvel.ico
keep=${1:-}
for tool in rsvg-convert icotool; do
  command -v "$tool" >/dev/null || { echo "render-icon: $tool is missing (apt-get install librsvg2-bin icoutils)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bitmaps=()
for size in 16 20 24 32 40 48 64 256; do
  svg=$drawings/karuvel-$size.svg
  [ -f "$svg" ] || svg=$drawings/karuvel.svg
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$work/karuvel-$size.png"
  [ "$size" = 256 ] || bitmaps+=("$work/karuvel-$size.png")
done
icotool -c -b 32 -o "$ico" "${bitmaps[@]}" -r "$work/karuvel-256.png"
if [ -n "$keep" ]; then
  mkdir -p "$keep"
  cp "$work"/karuvel-*.png "$keep"/
  echo "render-icon: the PNGs are in $keep"
fi
echo "render-icon: wrote $ico"
icotool -l "$ico"
