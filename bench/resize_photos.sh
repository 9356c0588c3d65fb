#!/usr/bin/env bash
# Resizing photos to a longest side of 1920 and saving them as WEBP quality 80, whole-process
# wall times side by side in one run: the program's engine (pixmorrow_convert --resize),
# vipsthumbnail (shrink-on-load and save in one command; with its own threads and with one)
# and mogrify -resize. Median of RUNS runs (default 3) of the wall time and of the processor
# time (user + system, all threads: on a busy machine it says more), the ratios to the engine,
# output bytes.
# Two sets: the real photographs in /usr/share/backgrounds (JPEG) and generated 24 MP
# pictures (6000 x 4000 plasma, JPEG quality 90, made once into <build>/bench-resize).
set -euo pipefail
source "$(dirname "$0")/lib/timing.sh"
build=${1:-build}
runs=${RUNS:-3}
engine=$build/bench/pixmorrow_convert
[[ -x $engine ]] || { echo "resize_photos: build pixmorrow_convert first" >&2; exit 1; }
for tool in vipsthumbnail mogrify; do
    command -v $tool >/dev/null || { echo "resize_photos: $tool is missing" >&2; exit 1; }
done

generated=$build/bench-resize
mkdir -p "$generated"
if [[ ! -f $generated/done ]]; then
    for seed in 1 2 3 4; do
        convert -seed $seed -size 6000x4000 plasma:fractal -quality 90 "$generated/plasma$seed.jpg"
    done
    touch "$generated/done"
fi
mapfile -t real < <(find /usr/share/backgrounds -iname '*.jpg' | sort)
synthetic=("$generated"/plasma*.jpg)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# label, output folder, command...: runs it $runs times into a fresh folder, prints the median
# wall time and the bytes of the last run's outputs.
timed() {
    local label=$1 out=$2
    shift 2
    timed_rounds "$runs" "$out" "%e %U %S" "$work/$label.runs" "$@" || return 1
    awk '{ print $1 }' "$work/$label.runs" >"$work/$label.times"
    awk '{ print $2 + $3 }' "$work/$label.runs" >"$work/$label.cpu"
    median <"$work/$label.times" >"$work/$label.s"
    median <"$work/$label.cpu" >"$work/$label.c"
    bytes=$(cat "$out"/* | wc -c)
    count=$(ls "$out" | wc -l)
    printf '  %-16s %7.2f s wall (runs: %s), %7.2f s processor  %3d files  %9d bytes\n' \
        "$label" "$(cat "$work/$label.s")" "$(tr '\n' ' ' <"$work/$label.times" | sed 's/ $//')" \
        "$(cat "$work/$label.c")" "$count" "$bytes"
}

batch() {  # title, files...
    local title=$1
    shift
    local pixels
    pixels=$(vipsheader -f width "$@" | paste -d' ' - <(vipsheader -f height "$@") |
        awk '{ s += $1 * $2 } END { printf "%.0f", s / 1e6 }')
    echo "$title: $# files, $pixels MP, longest side 1920, WEBP q 80, median of $runs"
    timed engine "$work/engine" "$engine" --type WEBP --quality 80 --resize long:1920 \
        --dest "$work/engine" "$@"
    timed vipsthumbnail "$work/vips" vipsthumbnail -s '1920x1920>' -o "$work/vips/%s.webp[Q=80]" "$@"
    timed vips-1-thread "$work/vips1" env VIPS_CONCURRENCY=1 vipsthumbnail -s '1920x1920>' \
        -o "$work/vips1/%s.webp[Q=80]" "$@"
    timed mogrify "$work/mogrify" mogrify -path "$work/mogrify" -format webp -quality 80 \
        -resize '1920x1920>' "$@"
    local e c
    e=$(cat "$work/engine.s")
    c=$(cat "$work/engine.c")
    for peer in vipsthumbnail vips-1-thread mogrify; do
        printf '  engine / %-14s = %.2f wall, %.2f processor (below 1 the engine is faster)\n' \
            "$peer" "$(echo "$e / $(cat "$work/$peer.s")" | bc -l)" \
            "$(echo "$c / $(cat "$work/$peer.c")" | bc -l)"
    done
}

batch "Real photographs (/usr/share/backgrounds)" "${real[@]}"
batch "Generated 24 MP pictures" "${synthetic[@]}"
