#!/usr/bin/env bash
# Times the external converter as the program runs it: the launcher's own cost against
# calling ImageMagick directly, and whole conversions of a 200-frame animation.
set -euo pipefail
build=${1:-build}
tool=$build/imagemagick/magick
[[ -x $tool ]] || { echo "bridge.sh: build the program folder first ($tool)"; exit 1; }
command -v convert >/dev/null || { echo "bridge.sh: ImageMagick is not installed"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds() { # runs "$@" and prints the wall time in seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

"$tool" -size 64x48 gradient:red-blue "$work/small.png"
runs=20
direct=0 launched=0
for _ in $(seq $runs); do
  direct=$(echo "$direct + $(seconds convert "$work/small.png" "$work/d.tga")" | bc)
  launched=$(echo "$launched + $(seconds "$tool" "$work/small.png" "$work/l.tga")" | bc)
done
printf 'PNG->TGA 64x48, mean of %d: direct convert %.3f s, through the launcher %.3f s\n' \
  $runs "$(echo "$direct / $runs" | bc -l)" "$(echo "$launched / $runs" | bc -l)"

# 200 frames of 320x240 with a moving square.
"$tool" -size 320x240 xc:white -fill red -draw 'rectangle 0,0 40,40' "$work/base.png"
frames=()
for i in $(seq 0 199); do frames+=(-page "+0+0" "(" "$work/base.png" -roll "+$i+$((i / 2))" ")"); done
"$tool" -delay 4 "${frames[@]}" -loop 0 "$work/anim.gif"
for out in anim.webp anim.apng; do
  prefix=
  [[ $out == *.apng ]] && prefix=APNG:
  t=$(seconds "$tool" "$work/anim.gif" -coalesce "$prefix$work/$out")
  printf 'GIF 200x320x240 -> %s: %.2f s, %d bytes\n' "${out#anim.}" "$t" "$(stat -c %s "$work/$out")"
done
cp "$work/anim.apng" "$work/moving.png"
t=$(seconds "$tool" "APNG:$work/moving.png" -coalesce "$work/back.webp")
printf 'APNG 200 frames -> webp: %.2f s\n' "$t"
