#!/usr/bin/env bash
# Start-up of pixmorrow-convert: `pixmorrow-convert --version` against `cwebp -version`, side
# by side in one run, alternating, RUNS times each (default 30). Prints the median wall time
# and the median peak resident memory of each, and their ratios.
#   bench/cli_startup.sh [BUILD]
set -euo pipefail
build=${1:-build}
runs=${RUNS:-30}
command=$build/pixmorrow-convert
[[ -x $command ]] || { echo "cli_startup: build pixmorrow-convert first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One run: wall milliseconds (three decimals) and peak kilobytes, on one line.
measure() {
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo "$(echo "($end - $start) / 1000000" | bc -l) $(cat "$work/peak")"
}
median() {  # column of a file
    sort -g <(cut -d' ' -f"$2" "$1") | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

# A first run of each outside the count, so that both start from a warm page cache.
"$command" --version >/dev/null
cwebp -version >/dev/null
for ((i = 0; i < runs; i++)); do
    measure "$command" --version >>"$work/ours"
    measure cwebp -version >>"$work/cwebp"
done
ours_ms=$(median "$work/ours" 1)
cwebp_ms=$(median "$work/cwebp" 1)
ours_kb=$(median "$work/ours" 2)
cwebp_kb=$(median "$work/cwebp" 2)
echo "start-up, median of $runs runs each (wall time through /usr/bin/time, peak resident memory)"
printf '%-32s %8.2f ms  %8.1f MB\n' "pixmorrow-convert --version" "$ours_ms" "$(echo "$ours_kb / 1024" | bc -l)"
printf '%-32s %8.2f ms  %8.1f MB\n' "cwebp -version" "$cwebp_ms" "$(echo "$cwebp_kb / 1024" | bc -l)"
printf 'time ratio   = %.2f\n' "$(echo "$ours_ms / $cwebp_ms" | bc -l)"
printf 'memory ratio = %.2f\n' "$(echo "$ours_kb / $cwebp_kb" | bc -l)"
