#!/usr/bin/env bash
# Screenshots of the options page and of the result window after a real run, on a virtual
# display: tests/conversion/run/screenshots.sh BUILD_FOLDER OUTPUT_FOLDER
set -euo pipefail
build=${1:-build}
out=${2:-$build/screenshots}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
fixtures=$(mktemp -d)
trap 'rm -rf "$fixtures"' EXIT
bash "$here/../routes/make_matrix_fixtures.sh" "$fixtures" >/dev/null
rm -f "$fixtures/bad.jpg"
xvfb-run -a -s "-screen 0 800x600x24" "$build/tests/conversion/conversion_screenshots" "$out" \
    "$fixtures"/*.jpg "$fixtures"/*.png "$fixtures"/*.gif "$fixtures"/*.tif "$fixtures"/*.svg
ls -l "$out"
