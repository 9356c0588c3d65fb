#!/usr/bin/env bash
# The engine against the usual tools on real photographs, side by side in one run:
#   - a batch: every photo of 2560 pixels wide or more from the desktop backgrounds
#     (mate-backgrounds) to WEBP quality 80, PNG and JPG quality 80, by the engine (once for
#     each worker count of JOBS), a sequential cwebp loop (WEBP), vips copy in a loop and
#     mogrify;
#   - one photo of 15 MP (the largest of them, cut to 5100 x 2950 and saved at quality 92) to
#     PNG and to JPG quality 80, by the engine and by vips copy.
# Each row: the median wall time of RUNS runs (default 3) and the CPU time of that run, the
# throughput against the row's reference (cwebp for WEBP, vips for PNG and JPG; above 1 is
# faster), the output bytes against the reference's, the peak resident memory and the bytes
# it takes per pixel of the pictures in flight (the largest picture, or the largest J for J
# workers) beyond the tool's own base (its peak on a 16 x 16 picture).
#   bench/pipeline_photos.sh [BUILD]      ENGINE=... JOBS="1 2" RUNS=3
# The engine driver takes --jobs only once the run has workers; until then only "1" runs.
# Run it alone, with nice: the numbers are only as steady as the machine is idle.
set -euo pipefail
build=${1:-build}
engine=${ENGINE:-$build/bench/pixmorrow_convert}
jobs_list=${JOBS:-"1 $(nproc)"}
runs=${RUNS:-3}
[[ -x $engine ]] || { echo "pipeline_photos: build pixmorrow_convert first ($engine)" >&2; exit 1; }

need() {  # command, Debian package
    command -v "$1" >/dev/null && return
    echo "pipeline_photos: installing $2" >&2
    apt-get install -y -q "$2" >/dev/null
}
need cwebp webp
need vips libvips-tools
need mogrify imagemagick
need bc bc
[[ -d /usr/share/backgrounds/mate ]] || apt-get install -y -q mate-backgrounds >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -t photos < <(find /usr/share/backgrounds/mate -type f -name '*.jpg' -print0 |
    xargs -0 identify -format '%w %i\n' | awk '$1 >= 2560 {print $2}' | sort)
(( ${#photos[@]} > 0 )) || { echo "pipeline_photos: no photographs found" >&2; exit 1; }
largest=$(identify -format '%w %h %i\n' "${photos[@]}" | awk '{print $1 * $2, $3}' | sort -n |
    tail -1 | cut -d' ' -f2)
one=$work/photo15.jpg
convert "$largest" -gravity center -crop 5100x2950+0+0 +repage -quality 92 "$one"
convert -size 16x16 gradient:red-blue -quality 92 "$work/tiny.jpg"

# Pixels of the largest n pictures of a list.
pixels_of() {  # n, files...
    local n=$1
    shift
    identify -format '%w %h\n' "$@" | awk '{print $1 * $2}' | sort -n | tail -"$n" |
        paste -sd+ | bc
}
batch_pixels=$(pixels_of 1000 "${photos[@]}")
engine_jobs=("1")
takes_jobs=false
if grep -q -- '--jobs' "$engine"; then
    takes_jobs=true
    read -r -a engine_jobs <<<"$jobs_list"
else
    echo "(the engine driver has no --jobs yet: one worker only)"
fi

# Runs a command RUNS times; sets wall (median), cpu and peak (KB) of the median run.
measure() {
    local out=$1
    shift
    local results=()
    for ((r = 0; r < runs; r++)); do
        rm -rf "$out"
        mkdir -p "$out"
        /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
            { cat "$work/err" >&2; return 1; }
        results+=("$(cat "$work/time")")
    done
    read -r wall user sys peak < <(printf '%s\n' "${results[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
    cpu=$(echo "$user + $sys" | bc)
}

# The tools' bases: peak KB on the tiny picture.
declare -A base
base_of() {  # name, command...
    local name=$1
    shift
    rm -rf "$work/base"
    mkdir -p "$work/base"
    /usr/bin/time -f "%M" -o "$work/time" "$@" >/dev/null 2>&1
    base[$name]=$(cat "$work/time")
}
base_of engine "$engine" --type WEBP --quality 80 --dest "$work/base" "$work/tiny.jpg"
base_of cwebp cwebp -quiet -q 80 "$work/tiny.jpg" -o "$work/base/t.webp"
base_of vips vips copy "$work/tiny.jpg" "$work/base/t.png"
base_of mogrify mogrify -path "$work/base" -format png "$work/tiny.jpg"

declare -A ref_wall ref_bytes
row() {  # label, reference key, tool base, pixels in flight, output folder
    local label=$1 key=$2 tool=$3 inflight=$4 out=$5
    local bytes
    bytes=$(find "$out" -type f -printf '%s\n' | paste -sd+ | bc)
    if [[ -z ${ref_wall[$key]:-} ]]; then
        ref_wall[$key]=$wall
        ref_bytes[$key]=$bytes
    fi
    printf '%-26s %7.2f s %7.2f s  %5.2fx %12d B %+6.1f%% %8.1f MiB %6.1f B/px\n' "$label" \
        "$wall" "$cpu" "$(echo "${ref_wall[$key]} / $wall" | bc -l)" "$bytes" \
        "$(echo "($bytes - ${ref_bytes[$key]}) * 100 / ${ref_bytes[$key]}" | bc -l)" \
        "$(echo "$peak / 1024" | bc -l)" \
        "$(echo "($peak - ${base[$tool]}) * 1024 / $inflight" | bc -l)"
}
header() {
    echo
    echo "$1"
    printf '%-26s %9s %9s  %6s %14s %7s %12s %10s\n' "" wall cpu speed bytes "vs ref" peak \
        "in flight"
}

loop() {  # output folder, extension and options ("png", "jpg[Q=80]"), files...
    local out=$1 ext=$2
    shift 2
    for f in "$@"; do
        local b=${f##*/}
        vips copy "$f" "$out/${b%.*}.$ext" || return 1
    done
}
export -f loop

echo "${#photos[@]} photographs, $(echo "$batch_pixels / 1000000" | bc -l | xargs printf '%.1f') MP," \
    "largest $(identify -format '%wx%h' "$largest"); one photo $(identify -format '%wx%h' "$one")"
echo "$(nproc) cores; bases (KB): engine ${base[engine]}, cwebp ${base[cwebp]}, vips ${base[vips]}, mogrify ${base[mogrify]}"

for format in WEBP PNG JPG; do
    header "batch to $format (reference: $([[ $format == WEBP ]] && echo cwebp || echo vips))"
    lower=${format,,}
    if [[ $format == WEBP ]]; then
        measure "$work/o" bash -c 'out=$1; shift; for f in "$@"; do b=${f##*/}
            cwebp -quiet -q 80 "$f" -o "$out/${b%.*}.webp" || exit 1; done' _ "$work/o" "${photos[@]}"
        row "cwebp -q 80 loop" "b$format" cwebp "$(pixels_of 1 "${photos[@]}")" "$work/o"
        vext="webp[Q=80]"
    elif [[ $format == PNG ]]; then
        vext="png"
    else
        vext="jpg[Q=80]"
    fi
    measure "$work/o" bash -c 'loop "$@"' _ "$work/o" "$vext" "${photos[@]}"
    row "vips copy loop" "b$format" vips "$(pixels_of 1 "${photos[@]}")" "$work/o"
    for j in "${engine_jobs[@]}"; do
        jobs_arg=()
        $takes_jobs && jobs_arg=(--jobs "$j")
        measure "$work/o" "$engine" "${jobs_arg[@]}" --type "$format" --quality 80 \
            --dest "$work/o" "${photos[@]}"
        row "engine, $j worker(s)" "b$format" engine "$(pixels_of "$j" "${photos[@]}")" "$work/o"
    done
    quality=(-quality 80)
    [[ $format == PNG ]] && quality=()  # its PNG "quality" is the zlib level and filter
    measure "$work/o" mogrify -path "$work/o" -format "$lower" "${quality[@]}" "${photos[@]}"
    row "mogrify" "b$format" mogrify "$(pixels_of 1 "${photos[@]}")" "$work/o"
done

for format in PNG JPG; do
    header "one photo to $format (reference: vips)"
    measure "$work/o" vips copy "$one" "$work/o/one.$([[ $format == PNG ]] && echo png || echo 'jpg[Q=80]')"
    row "vips copy" "o$format" vips "$(pixels_of 1 "$one")" "$work/o"
    measure "$work/o" "$engine" --type "$format" --quality 80 --dest "$work/o" "$one"
    row "engine" "o$format" engine "$(pixels_of 1 "$one")" "$work/o"
done
