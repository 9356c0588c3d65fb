#!/usr/bin/env bash
# Whole-process timings of the codec library against the WebP and JPEG tools on a 12 MP
# photo, and the peak memory of decode-draw-encode on a 24 MP picture.
#   bench/codec.sh [build-dir]      RUNS (default 5) runs per figure, the best one counts.
set -euo pipefail
build=${1:-build}
cli=$build/bench/pixmorrow_codec_cli
runs=${RUNS:-5}
[[ -x $cli ]] || { echo "build the pixmorrow_codec_cli target first" >&2; exit 1; }
data=$build/bench-data
mkdir -p "$data"
photo=$data/photo-12mp.jpg
big=$data/photo-24mp.jpg
[[ -f $photo ]] || convert -seed 42 -size 4000x3000 plasma:fractal -quality 90 "$photo"
[[ -f $big ]] || convert -seed 7 -size 6000x4000 plasma:fractal -quality 90 "$big"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Best wall-clock and best CPU (user + system) seconds of RUNS runs of a command, outputs
# removed between runs: "wall cpu". On a shared machine the CPU figure is the steadier one.
best() {
  local best_wall= best_cpu=
  for ((i = 0; i < runs; i++)); do
    rm -f "$out"/*
    /usr/bin/time -f "%e %U %S" -o "$out/.time" "$@" >/dev/null 2>&1
    read -r wall user sys < <(tail -1 "$out/.time")
    local cpu
    cpu=$(awk "BEGIN{print $user + $sys}")
    if [[ -z $best_wall ]] || awk "BEGIN{exit !($wall < $best_wall)}"; then best_wall=$wall; fi
    if [[ -z $best_cpu ]] || awk "BEGIN{exit !($cpu < $best_cpu)}"; then best_cpu=$cpu; fi
  done
  echo "$best_wall $best_cpu"
}

ratio() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }

echo "photo: $photo ($(identify -format '%wx%h' "$photo"), $(stat -c %s "$photo") bytes)"

read -r ours_wall ours_cpu < <(best "$cli" "$photo" "$out/a.webp" 6 80)
read -r cwebp_wall cwebp_cpu < <(best cwebp -quiet -q 80 "$photo" -o "$out/b.webp")
"$cli" "$photo" "$out/a.webp" 6 80
cwebp -quiet -q 80 "$photo" -o "$out/b.webp"
echo "WebP q80 encode, whole process (best wall / best CPU seconds):" \
     "codec library ${ours_wall} / ${ours_cpu} ($(stat -c %s "$out/a.webp") bytes)," \
     "cwebp -q 80 ${cwebp_wall} / ${cwebp_cpu} ($(stat -c %s "$out/b.webp") bytes);" \
     "ratio $(ratio "$ours_wall" "$cwebp_wall") wall, $(ratio "$ours_cpu" "$cwebp_cpu") CPU (target <= 1.1)"

read -r dec_wall dec_cpu < <(best "$cli" --decode "$photo")
read -r djpeg_wall djpeg_cpu < <(best djpeg -outfile /dev/null "$photo")
echo "JPEG decode, whole process (best wall / best CPU seconds): codec library ${dec_wall} / ${dec_cpu}," \
     "djpeg ${djpeg_wall} / ${djpeg_cpu}; ratio $(ratio "$dec_wall" "$djpeg_wall") wall, $(ratio "$dec_cpu" "$djpeg_cpu") CPU"

read -r gray_wall gray_cpu < <(best "$cli" "$photo" "$out/g.webp" 6 80 gray)
echo "WebP q80 encode with the grayscale filter: ${gray_wall} / ${gray_cpu} seconds"

pixels=$((6000 * 4000))
for format in 6:webp 3:jpg 4:png; do
  rm -f "$out"/*
  /usr/bin/time -f %M -o "$out/.time" "$cli" "$big" "$out/m.${format#*:}" "${format%%:*}" 80 >/dev/null 2>&1
  rss_kb=$(tail -1 "$out/.time")
  echo "Peak memory, 24 MP decode-draw-encode to ${format#*:}: $((rss_kb / 1024)) MiB," \
       "$(awk "BEGIN{printf \"%.1f\", $rss_kb * 1024 / $pixels}") bytes per pixel"
done
