#!/usr/bin/env bash
# Many small real pictures: the desktop icon theme's PNGs and SVGs converted to WEBP, PNG and
# GIF by the program's engine (pixmorrow_convert) with the external tool's helper process and
# with the launcher started per file, side by side in one run with a cwebp loop (WEBP from
# PNG only) and mogrify over the same files. Each figure is the median wall time of RUNS runs
# (default 3); per-file overhead is (engine - mogrify) / files, mogrify's time per file
# standing for the decoding and encoding work itself.
#   bench/small_files.sh [build-dir]     PNGS (default 600), SVGS (default 300) pick the sets.
set -euo pipefail
build=${1:-build}
runs=${RUNS:-3}
pngs=${PNGS:-600}
svgs=${SVGS:-300}
engine=$build/bench/pixmorrow_convert
[[ -x $engine ]] || { echo "small_files: build pixmorrow_convert first" >&2; exit 1; }
[[ -x $build/imagemagick/pixmorrow-magick-helper ]] ||
    { echo "small_files: build the program folder first (the helper is missing)" >&2; exit 1; }
here=$(cd "$(dirname "$0")/.." && pwd)
# The icon themes come with scripts/install-deps (desktop.txt, bridge.txt).
[[ -d /usr/share/icons/Adwaita && -d /usr/share/icons/hicolor ]] || bash "$here/scripts/install-deps"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The sets: every n-th file of the sorted list, so that all sizes and kinds take part; each
# copied under a name of its own.
pick() {  # pattern count folder
    local pattern=$1 count=$2 folder=$3
    mkdir -p "$folder"
    mapfile -t all < <(find /usr/share/icons -type f -name "$pattern" -size +0 | LC_ALL=C sort)
    local step=$(( ${#all[@]} / count ))
    ((step >= 1)) || step=1
    local i n=0
    for ((i = 0; i < ${#all[@]} && n < count; i += step)); do
        cp "${all[i]}" "$folder/$(printf %04d "$n")-${all[i]##*/}"
        n=$((n + 1))
    done
    echo "$n"
}
npng=$(pick '*.png' "$pngs" "$work/png")
nsvg=$(pick '*.svg' "$svgs" "$work/svg")

# The engine without the helper: the build's program folder with imagemagick/ lacking it.
plain=$work/per-file
mkdir -p "$plain/imagemagick"
cp "$build"/libpixmorrow_codec.so* "$plain/"
[[ -x $build/pixmorrow-jxr-decode ]] && cp "$build/pixmorrow-jxr-decode" "$plain/"
for f in "$build"/imagemagick/*; do
    [[ ${f##*/} == pixmorrow-magick-helper ]] || cp -p "$f" "$plain/imagemagick/"
done

median() { LC_ALL=C sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
# label, output folder, command...: the median of RUNS wall times, the folder emptied first.
timed() {
    local label=$1 out=$2
    shift 2
    local times=() r
    for ((r = 0; r < runs; r++)); do
        rm -rf "$out" && mkdir -p "$out"
        /usr/bin/time -f "%e" -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
            { echo "$label failed:" >&2; tail -5 "$work/err" >&2; return 1; }
        times+=("$(tail -1 "$work/time")")
    done
    printf '%s\n' "${times[@]}" | median >"$work/$label.s"
    echo "$(ls "$out" | wc -l)" >"$work/$label.n"
}
cwebp_loop() {  # output folder, files...
    local out=$1 f b
    shift
    for f in "$@"; do
        b=${f##*/}
        cwebp -quiet -q 80 "$f" -o "$out/${b%.*}.webp" || return 1
    done
}
report() {  # set, type, count, labels...
    local set=$1 type=$2 count=$3
    shift 3
    local mog
    mog=$(cat "$work/mogrify.s")
    printf '%-4s -> %-4s %4d files:' "$set" "$type" "$count"
    local label
    for label in "$@"; do
        printf '  %s %.2f s (%d)' "$label" "$(cat "$work/$label.s")" "$(cat "$work/$label.n")"
    done
    printf '\n'
    for label in helper per-file; do
        local s
        s=$(cat "$work/$label.s")
        printf '      %-8s / mogrify = %.2f   per-file overhead %.1f ms   (mogrify %.1f ms a file)\n' \
            "$label" "$(echo "$s / $mog" | bc -l)" "$(echo "($s - $mog) * 1000 / $count" | bc -l)" \
            "$(echo "$mog * 1000 / $count" | bc -l)"
    done
}

echo "median of $runs runs each; quality 80 where the type has one; $(nproc) cores"
for set in png svg; do
    files=("$work/$set"/*)
    for type in WEBP PNG GIF; do
        ext=$(echo "$type" | tr 'A-Z' 'a-z')
        labels=(helper per-file)
        timed helper "$work/out/helper" nice -n 19 "$engine" --type "$type" --quality 80 \
            --dest "$work/out/helper" "${files[@]}"
        timed per-file "$work/out/per-file" nice -n 19 "$engine" --program-folder "$plain" \
            --type "$type" --quality 80 --dest "$work/out/per-file" "${files[@]}"
        if [[ $set == png && $type == WEBP ]]; then
            timed cwebp "$work/out/cwebp" nice -n 19 bash -c "$(declare -f cwebp_loop); cwebp_loop \"\$@\"" \
                _ "$work/out/cwebp" "${files[@]}"
            labels+=(cwebp)
        fi
        timed mogrify "$work/out/mogrify" nice -n 19 mogrify -path "$work/out/mogrify" \
            -format "$ext" -quality 80 "${files[@]}"
        labels+=(mogrify)
        report "$set" "$type" "${#files[@]}" "${labels[@]}"
    done
done
