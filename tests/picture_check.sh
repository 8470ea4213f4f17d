#!/usr/bin/env bash
# Compares the three pictures of the demo window that package_check.sh took (collapsed, expanded
# after a switch, the message box of a broken script) with the user guide's pictures in
# docs/guide/images, which are the references: the guide never shows a window that the program no
# longer draws. In the Wine session (its fonts, DPI and font smoothing fixed by wine-session.sh) the
# pictures come out the same pixel for pixel run after run, so any difference fails. CTest runs it
# on the win64 build, which every machine runs (the win32 build draws with the same code).
#   picture_check.sh <shots dir>            compare
#   picture_check.sh <shots dir> --renew    copy the pictures and their record over the references
# tools/renew-pictures.sh takes new pictures and renews the references when a change is meant.
set -euo pipefail
shots=$(realpath "${1:?folder of the pictures taken}")
mode=${2:-compare}
# Other pictures against other references: <shots dir> <compare|--renew> <references dir> "<names>".
images=$(cd "${3:-$(dirname "$0")/../docs/guide/images}" && pwd)
# Differing pixels allowed in each picture, and how far apart two colours may be to count as one.
allowed=0
fuzz=0%
# What drew the pictures (Wine, packages, screen, prefix, DPI, font smoothing), one "key: value" a
# line, written by wine-session.sh and put beside the pictures by package_check.sh.
record=pictures-made-with.txt

if [ "$mode" = --renew ]; then
  cp "$shots/$record" "$images/$record"
  echo "picture_check: renewed $images/$record"
else
  # Another Wine, FreeType or font package draws other pixels; name what differs before the pixels
  # are compared, which alone decide.
  here=$shots/$record stored=$images/$record
  if ! cmp -s "$stored" "$here"; then
    {
      echo "picture_check: what made these pictures differs from what made the references ($stored | here):"
      # Each key whose value differs, in the order of the stored record, then those only here.
      awk 'function value(line) { return substr(line, index(line, ": ") + 2) }
           FILENAME == ARGV[1] { key = substr($0, 1, index($0, ": ") - 1); stored[key] = value($0); order[++n] = key; next }
           { key = substr($0, 1, index($0, ": ") - 1); here[key] = value($0); if (!(key in stored)) order[++n] = key }
           END { for (i = 1; i <= n; i++) { k = order[i]
                   s = k in stored ? stored[k] : "(none)"; h = k in here ? here[k] : "(none)"
                   if (s != h) printf "  %s: %s | %s\n", k, s, h } }' \
        <(cat "$stored" 2>/dev/null) <(cat "$here" 2>/dev/null)
      echo "  If this machine is to make the references, tools/renew-pictures.sh renews them and this record;"
      echo "  look at the new pictures before committing them."
    } >&2
  fi
fi

failures=0
for name in ${4:-karuvel-collapsed karuvel-expanded karuvel-message}; do
  bmp=$shots/$name.bmp png=$shots/$name.png ref=$images/$name.png
  [ -f "$bmp" ] || { echo "picture_check: $bmp was not taken" >&2; failures=$((failures + 1)); continue; }
  # Pixels only: no time stamps in the file, so an unchanged picture renews to the same bytes.
  convert "$bmp" -strip -define png:exclude-chunks=date,time "$png"
  if [ "$mode" = --renew ]; then
    cp "$png" "$ref"
    echo "picture_check: renewed $ref"
    continue
  fi
  [ -f "$ref" ] || { echo "picture_check: no reference $ref" >&2; failures=$((failures + 1)); continue; }
  # On a difference, one image to look at: the reference, the picture taken and (for the same size)
  # the differing pixels in red, side by side.
  sides=$shots/$name-compared.png
  rm -f "$sides"
  got=$(identify -format '%wx%h' "$png") want=$(identify -format '%wx%h' "$ref")
  if [ "$got" != "$want" ]; then
    convert "$ref" "$png" -background '#ff00ff' -splice 8x0 +append -chop 8x0 "$sides"
    echo "picture_check: $name is $got, the reference $want; reference | taken: $sides" >&2
    failures=$((failures + 1))
    continue
  fi
  diff=$shots/$name-diff.png
  differing=$(compare -metric AE -fuzz "$fuzz" "$ref" "$png" "$diff" 2>&1 >/dev/null) || true
  if ! [[ "$differing" =~ ^[0-9]+$ ]] || [ "$differing" -gt "$allowed" ]; then
    # The box around the differing pixels: those white on black, framed in black so that the trim
    # takes black for the background even when a corner pixel differs.
    box=$(compare -fuzz "$fuzz" "$ref" "$png" -compose src -highlight-color white -lowlight-color black miff:- |
          convert - -bordercolor black -border 1 -format '%@' info: 2>/dev/null || true)
    # The box is drawn around on the difference too, where one red pixel is easily missed.
    frame=()
    if [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]; then
      w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=$((BASH_REMATCH[3] - 1)) y=$((BASH_REMATCH[4] - 1))
      box="${w}x$h+$x+$y (width x height + left + top)"
      frame=(-fill none -stroke '#ff00ff' -draw "rectangle $((x - 3)),$((y - 3)) $((x + w + 2)),$((y + h + 2))")
    fi
    convert "$ref" "$png" \( "$diff" "${frame[@]}" \) -background '#ff00ff' -splice 8x0 +append -chop 8x0 "$sides"
    echo "picture_check: $name differs from $ref in $differing pixel$([ "$differing" = 1 ] || echo s) (allowed $allowed), all within" \
         "$box; reference | taken | difference in red: $sides" >&2
    failures=$((failures + 1))
  fi
  rm -f "$diff"
done
[ "$failures" -eq 0 ] || exit 1
[ "$mode" = --renew ] || echo "picture_check: the pictures match those in $images"
