#!/usr/bin/env bash
# The resampler (libswscale Lanczos-3, bench_resample) against libvips' Lanczos-3 on one
# thread, both shrinking a 24 MP picture to 1920 x 1280, opaque and with alpha: medians of 3.
# vips works on its own uncompressed format, so its load and save cost next to nothing. On a
# busy machine the processor times (user + system) say more than the wall times.
set -euo pipefail
build=${1:-build}
[[ -x $build/bench/bench_resample ]] || { echo "build bench_resample first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/bench_resample" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
    grep -E "median" | sed 's/^/  ours (libswscale)  /'
vips black "$work/opaque.v" 6000 4000 --bands 3
vips gaussnoise "$work/noise.v" 6000 4000
vips cast "$work/noise.v" "$work/noise8.v" uchar
vips bandjoin "$work/noise8.v $work/noise8.v $work/noise8.v" "$work/rgb.v"
vips bandjoin "$work/rgb.v $work/noise8.v" "$work/rgba.v"
for input in rgb rgba; do
    for r in 1 2 3; do
        /usr/bin/time -f "%e %U %S" -o "$work/t" env VIPS_CONCURRENCY=1 vips resize \
            "$work/$input.v" "$work/out.v" 0.32 --kernel lanczos3 --gap 0
        awk '{ print $2 + $3, $1 }' "$work/t"
    done | sort -n | awk -v what="$input" 'NR == 2 {
        printf "  vips 1 thread      %-5s %6.0f ms processor, %6.0f ms wall (median)\n", what,
            $1 * 1000, $2 * 1000 }'
done
