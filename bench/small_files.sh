#!/usr/bin/env bash
# Many small real pictures: the desktop icon theme's PNGs and SVGs converted to WEBP, PNG and
# GIF by the program's engine (pixmorrow_convert) with the external tool's helper process and
# with the launcher started per file, side by side in one run with a cwebp loop (WEBP from
# PNG only) and mogrify over the same files. The contestants take turns in each of RUNS rounds
# (default 3), so a change of the machine's load falls on all of them; each figure is the
# median of the rounds, as wall time and as CPU time (user + system of the process and its
# children, the steadier figure on a shared machine). "same" is mogrify with the tool
# operations the program's route runs for the type (WEBP and PNG: "-coalesce" at the tool's
# default quality; GIF: "-quality 80"), which stands for the decoding and encoding work; the
# per-file overhead is (engine - same) / files.
#   bench/small_files.sh [build-dir]
# PNGS (default 600) and SVGS (default 300) size the sets; the per-file launcher, some 50 ms a
# file, converts the first PERFILE (default 100) of each, and its figures are per file.
# TYPES (default "WEBP PNG GIF") picks the output types.
set -euo pipefail
source "$(dirname "$0")/lib/timing.sh"
shopt -s nullglob
build=${1:-build}
runs=${RUNS:-3}
pngs=${PNGS:-600}
svgs=${SVGS:-300}
perfile=${PERFILE:-100}
types=${TYPES:-WEBP PNG GIF}
engine=$build/bench/pixmorrow_convert
[[ -x $engine ]] || { echo "small_files: build pixmorrow_convert first" >&2; exit 1; }
[[ -x $build/imagemagick/pixmorrow-magick-helper ]] ||
    { echo "small_files: build the program folder first (the helper is missing)" >&2; exit 1; }
here=$(cd "$(dirname "$0")/.." && pwd)
# The icon themes come with scripts/install-deps (desktop.txt, bridge.txt).
[[ -d /usr/share/icons/Adwaita && -d /usr/share/icons/hicolor ]] || bash "$here/scripts/install-deps"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A set: every n-th file of the sorted list, so that all sizes and kinds take part, each
# copied under a name of its own.
pick() {  # pattern count folder
    local pattern=$1 count=$2 folder=$3
    mkdir -p "$folder"
    ((count > 0)) || return 0
    mapfile -t all < <(find /usr/share/icons -type f -name "$pattern" -size +0 | LC_ALL=C sort)
    local step=$((${#all[@]} / count))
    ((step >= 1)) || step=1
    local i n=0
    for ((i = 0; i < ${#all[@]} && n < count; i += step)); do
        cp "${all[i]}" "$folder/$(printf %04d "$n")-${all[i]##*/}"
        n=$((n + 1))
    done
}
pick '*.png' "$pngs" "$work/png"
pick '*.svg' "$svgs" "$work/svg"

# The engine without the helper: the build's program folder with imagemagick/ lacking it.
plain=$work/per-file
mkdir -p "$plain/imagemagick"
cp "$build"/libpixmorrow_codec.so* "$plain/"
[[ -x $build/pixmorrow-jxr-decode ]] && cp "$build/pixmorrow-jxr-decode" "$plain/"
for f in "$build"/imagemagick/*; do
    [[ ${f##*/} == pixmorrow-magick-helper ]] || cp -p "$f" "$plain/imagemagick/"
done

# label, command...: one timed run into $work/out/label, appended to label's wall and cpu lists.
timed() {
    local label=$1
    shift
    local out=$work/out/$label
    rm -rf "$out" && mkdir -p "$out"
    # A file a contestant cannot convert (mogrify's own SVG renderer refuses some icons) is
    # left out of its output count, not the end of the run.
    /usr/bin/time -f "%e %U %S" -o "$work/time" nice -n 19 "$@" >/dev/null 2>"$work/err" || true
    local wall user sys
    read -r wall user sys < <(tail -1 "$work/time")
    echo "$wall" >>"$work/$label.wall"
    echo "$user + $sys" | bc >>"$work/$label.cpu"
    ls "$out" | wc -l >"$work/$label.n"
}
cwebp_loop() {  # output folder, files...
    local out=$1 f b
    shift
    for f in "$@"; do
        b=${f##*/}
        cwebp -quiet -q 80 "$f" -o "$out/${b%.*}.webp" || return 1
    done
}
ms() { echo "$1 * 1000 / $2" | bc -l; }

echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); median of $runs rounds; quality 80"
for set in png svg; do
    files=("$work/$set"/*)
    ((${#files[@]} > 0)) || continue
    few=("${files[@]:0:perfile}")
    for type in $types; do
        ext=$(echo "$type" | tr 'A-Z' 'a-z')
        labels=(helper per-file same mogrify)
        same=(-coalesce)
        [[ $type == GIF ]] && same=(-quality 80)
        [[ $set == png && $type == WEBP ]] && labels+=(cwebp)
        rm -f "$work"/*.wall "$work"/*.cpu
        for ((r = 0; r < runs; r++)); do
            timed helper "$engine" --type "$type" --quality 80 --dest "$work/out/helper" "${files[@]}"
            timed per-file "$engine" --program-folder "$plain" --type "$type" --quality 80 \
                --dest "$work/out/per-file" "${few[@]}"
            timed same mogrify -path "$work/out/same" -format "$ext" "${same[@]}" "${files[@]}"
            timed mogrify mogrify -path "$work/out/mogrify" -format "$ext" -quality 80 "${files[@]}"
            if [[ " ${labels[*]} " == *" cwebp "* ]]; then
                timed cwebp bash -c "$(declare -f cwebp_loop); cwebp_loop \"\$@\"" _ \
                    "$work/out/cwebp" "${files[@]}"
            fi
        done
        n=${#files[@]}
        printf '%s -> %s, %d files (per-file launcher: first %d)\n' "$set" "$type" "$n" "${#few[@]}"
        mog_wall=$(median <"$work/mogrify.wall")
        mog_cpu=$(median <"$work/mogrify.cpu")
        same_wall=$(median <"$work/same.wall")
        same_cpu=$(median <"$work/same.cpu")
        for label in "${labels[@]}"; do
            count=$n
            [[ $label == per-file ]] && count=${#few[@]}
            wall=$(median <"$work/$label.wall")
            cpu=$(median <"$work/$label.cpu")
            printf '  %-9s wall %7.2f s  cpu %7.2f s  %6.2f ms/file wall  %6.2f cpu' "$label" \
                "$wall" "$cpu" "$(ms "$wall" "$count")" "$(ms "$cpu" "$count")"
            printf '  x mogrify: wall %5.2f cpu %5.2f' \
                "$(echo "$(ms "$wall" "$count") / $(ms "$mog_wall" "$n")" | bc -l)" \
                "$(echo "$(ms "$cpu" "$count") / $(ms "$mog_cpu" "$n")" | bc -l)"
            if [[ $label == helper || $label == per-file ]]; then
                printf '  overhead %.2f ms/file wall, %.2f cpu' \
                    "$(echo "$(ms "$wall" "$count") - $(ms "$same_wall" "$n")" | bc -l)" \
                    "$(echo "$(ms "$cpu" "$count") - $(ms "$same_cpu" "$n")" | bc -l)"
            fi
            printf '  (%d outputs)\n' "$(cat "$work/$label.n")"
        done
    done
done
