#!/usr/bin/env bash
# Whole-process times for converting photos to WEBP quality 80: the program's engine
# (pixmorrow-convert) against cwebp run over the same files one after another and against
# mogrify. The photos are 12 MP (4000 x 3000) plasma fractals saved as JPEG quality 90, made
# once into <build>/bench-photos. PHOTOS sets how many (default 100).
set -euo pipefail
build=${1:-build}
count=${PHOTOS:-100}
engine=$build/pixmorrow-convert
[[ -x $engine ]] || { echo "convert_photos: build pixmorrow-convert first" >&2; exit 1; }
photos=$build/bench-photos/$count
mkdir -p "$photos"
if [[ ! -f $photos/done ]]; then
    # A few distinct fractals, each rolled to new offsets, so no two photos are alike.
    for seed in 1 2 3 4; do
        convert -seed $seed -size 4000x3000 plasma:fractal "$photos/base$seed.miff"
    done
    for ((i = 0; i < count; i++)); do
        convert "$photos/base$((i % 4 + 1)).miff" -roll +$((i * 37))+$((i * 53)) -quality 90 \
            "$photos/photo$(printf %03d "$i").jpg"
    done
    rm -f "$photos"/base*.miff
    touch "$photos/done"
fi
files=("$photos"/photo*.jpg)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
timed() {  # label, command...: prints seconds and peak resident memory
    local label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
        { cat "$work/err" >&2; return 1; }
    read -r seconds peak <"$work/time"
    printf '%-10s %8.2f s  peak %7.1f MB\n' "$label" "$seconds" "$(echo "$peak / 1024" | bc -l)"
    echo "$seconds" >"$work/$label.s"
}

echo "${#files[@]} photos of 12 MP, JPEG q 90 -> WEBP q 80"
mkdir -p "$work/engine" "$work/cwebp" "$work/mogrify"
timed engine "$engine" --quiet --type WEBP --quality 80 --dest "$work/engine" "${files[@]}"
timed cwebp bash -c 'for f in "$@"; do b=${f##*/}; cwebp -quiet -q 80 "$f" -o "$0/${b%.jpg}.webp" || exit 1; done' \
    "$work/cwebp" "${files[@]}"
timed mogrify mogrify -path "$work/mogrify" -format webp -quality 80 "${files[@]}"
engine_s=$(cat "$work/engine.s")
printf 'engine / cwebp   = %.2f\n' "$(echo "$engine_s / $(cat "$work/cwebp.s")" | bc -l)"
printf 'engine / mogrify = %.2f\n' "$(echo "$engine_s / $(cat "$work/mogrify.s")" | bc -l)"
echo "outputs: engine $(ls "$work/engine" | wc -l), cwebp $(ls "$work/cwebp" | wc -l), mogrify $(ls "$work/mogrify" | wc -l)"
du -sh "$work/engine" "$work/cwebp" "$work/mogrify" | sed 's|'"$work"'/||'
