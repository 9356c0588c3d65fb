#!/usr/bin/env bash
# The run's workers over real photographs, JPEG -> WEBP quality 80, in one go: the engine
# (pixmorrow_convert) with one worker and with JOBS workers, against cwebp -q 80 run over the
# same files one after another. Wall time (median of ROUNDS), throughput against the cwebp
# loop, output bytes, peak memory and bytes per pixel of the largest photo.
#   bench/pipeline_workers.sh [BUILD_FOLDER]    (JOBS=2 COUNT=12 ROUNDS=3 by default)
set -euo pipefail
source "$(dirname "$0")/lib/timing.sh"
build=${1:-build}
jobs=${JOBS:-2}
count=${COUNT:-12}
rounds=${ROUNDS:-3}
engine=$build/bench/pixmorrow_convert
[[ -x $engine ]] || { echo "pipeline_workers: build pixmorrow_convert first" >&2; exit 1; }
command -v cwebp >/dev/null || { echo "pipeline_workers: cwebp is missing (webp)" >&2; exit 1; }

# The largest photographs of the wallpaper package (mate-backgrounds).
mapfile -t files < <(find /usr/share/backgrounds -type f -name '*.jpg' -printf '%s %p\n' |
    sort -rn | head -n "$count" | cut -d' ' -f2-)
[[ ${#files[@]} -gt 0 ]] || { echo "pipeline_workers: no photographs (mate-backgrounds)" >&2; exit 1; }
pixels=0
largest=0
for f in "${files[@]}"; do
    read -r w h < <(identify -format '%w %h\n' "$f[0]")
    p=$((w * h))
    pixels=$((pixels + p))
    ((p > largest)) && largest=$p
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\n' "${files[@]}" >"$work/list"
cat >"$work/cwebp-loop.sh" <<'LOOP'
while IFS= read -r f; do
    cwebp -quiet -q 80 "$f" -o "$2/$(basename "${f%.*}").webp"
done <"$1"
LOOP

# label, output folder, command...: the median wall time, the highest peak and the bytes out
measure() {
    local label=$1 out=$2
    shift 2
    timed_rounds "$rounds" "$out" "%e %M" "$work/$label.runs" "$@" || return 1
    awk '{ print $1 }' "$work/$label.runs" | median >"$work/$label.s"
    awk '{ print $2 }' "$work/$label.runs" | sort -n | tail -1 >"$work/$label.kb"
    du -cb "$out"/* | tail -1 | cut -f1 >"$work/$label.bytes"
}

measure cwebp "$work/out-cwebp" bash "$work/cwebp-loop.sh" "$work/list" "$work/out-cwebp"
measure engine-1 "$work/out-1" "$engine" --type WEBP --quality 80 --jobs 1 --dest "$work/out-1" "${files[@]}"
measure "engine-$jobs" "$work/out-$jobs" "$engine" --type WEBP --quality 80 --jobs "$jobs" --dest "$work/out-$jobs" "${files[@]}"

base=$(cat "$work/cwebp.s")
cbytes=$(cat "$work/cwebp.bytes")
printf '%d photos, %.1f MP in all, largest %.1f MP; JPEG -> WEBP q 80; median of %d\n' \
    "${#files[@]}" "$(echo "$pixels / 1000000" | bc -l)" "$(echo "$largest / 1000000" | bc -l)" "$rounds"
printf '%-10s %9s %11s %12s %8s %10s %12s\n' run "wall s" "vs cwebp" "bytes out" "vs cwebp" "peak MB" "B/px largest"
for label in cwebp engine-1 "engine-$jobs"; do
    s=$(cat "$work/$label.s")
    kb=$(cat "$work/$label.kb")
    bytes=$(cat "$work/$label.bytes")
    printf '%-10s %9.2f %10.2fx %12d %7.2f%% %10.1f %12.1f\n' "$label" "$s" \
        "$(echo "$base / $s" | bc -l)" "$bytes" "$(echo "($bytes - $cbytes) * 100 / $cbytes" | bc -l)" \
        "$(echo "$kb / 1024" | bc -l)" "$(echo "$kb * 1024 / $largest" | bc -l)"
done
