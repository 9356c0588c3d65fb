#!/usr/bin/env bash
# Whole-process timings of the codec library against the WebP and JPEG tools on a 12 MP
# photo, and the peak memory of decode-draw-encode on a 24 MP picture.
#   bench/codec.sh [build-dir]      RUNS (default 3) runs per figure, the best one counts.
set -euo pipefail
build=${1:-build}
cli=$build/bench/pixmorrow_codec_cli
runs=${RUNS:-3}
[[ -x $cli ]] || { echo "build the pixmorrow_codec_cli target first" >&2; exit 1; }
data=$build/bench-data
mkdir -p "$data"
photo=$data/photo-12mp.jpg
big=$data/photo-24mp.jpg
[[ -f $photo ]] || convert -seed 42 -size 4000x3000 plasma:fractal -quality 90 "$photo"
[[ -f $big ]] || convert -seed 7 -size 6000x4000 plasma:fractal -quality 90 "$big"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Best wall-clock seconds of RUNS runs of a command (outputs removed between runs).
best() {
  local best_time=
  for ((i = 0; i < runs; i++)); do
    rm -f "$out"/*
    local t
    /usr/bin/time -f %e -o "$out/.time" "$@" >/dev/null 2>&1
    t=$(tail -1 "$out/.time")
    if [[ -z $best_time ]] || awk "BEGIN{exit !($t < $best_time)}"; then best_time=$t; fi
  done
  echo "$best_time"
}

ratio() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }

echo "photo: $photo ($(identify -format '%wx%h' "$photo"), $(stat -c %s "$photo") bytes)"

ours_webp=$(best "$cli" "$photo" "$out/a.webp" 6 80)
cwebp_time=$(best cwebp -quiet -q 80 "$photo" -o "$out/b.webp")
"$cli" "$photo" "$out/a.webp" 6 80
cwebp -quiet -q 80 "$photo" -o "$out/b.webp"
echo "WebP q80 encode, whole process: codec library ${ours_webp}s ($(stat -c %s "$out/a.webp") bytes)," \
     "cwebp -q 80 ${cwebp_time}s ($(stat -c %s "$out/b.webp") bytes); ratio $(ratio "$ours_webp" "$cwebp_time") (target <= 1.1)"

ours_decode=$(best "$cli" --decode "$photo")
djpeg_time=$(best djpeg -outfile /dev/null "$photo")
echo "JPEG decode, whole process: codec library ${ours_decode}s, djpeg ${djpeg_time}s;" \
     "ratio $(ratio "$ours_decode" "$djpeg_time")"

ours_gray=$(best "$cli" "$photo" "$out/g.webp" 6 80 gray)
echo "WebP q80 encode with the grayscale filter: ${ours_gray}s"

pixels=$((6000 * 4000))
for format in 6:webp 3:jpg 4:png; do
  rm -f "$out"/*
  /usr/bin/time -f %M -o "$out/.time" "$cli" "$big" "$out/m.${format#*:}" "${format%%:*}" 80 >/dev/null 2>&1
  rss_kb=$(tail -1 "$out/.time")
  echo "Peak memory, 24 MP decode-draw-encode to ${format#*:}: $((rss_kb / 1024)) MiB," \
       "$(awk "BEGIN{printf \"%.1f\", $rss_kb * 1024 / $pixels}") bytes per pixel"
done
