#!/usr/bin/env bash
# Screenshots of a run in the middle (progress bar, Cancel) and of the result window after a
# cancel, over real photographs, on a virtual display:
#   tests/conversion/run/run_screenshots.sh BUILD_FOLDER OUTPUT_FOLDER
set -euo pipefail
build=${1:-build}
out=${2:-$build/screenshots}
mkdir -p "$out"
photos=$(find /usr/share/backgrounds -type f -name '*.jpg' -size +300k | sort)
[ -n "$photos" ] || { echo "no photographs in /usr/share/backgrounds (mate-backgrounds)" >&2; exit 1; }
# shellcheck disable=SC2086
xvfb-run -a -s "-screen 0 800x600x24" "$build/tests/conversion/run_screenshots" "$out" $photos
ls -l "$out"
