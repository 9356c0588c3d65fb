#!/usr/bin/env bash
# Runs a command on a virtual X display of its own: tests/support/with_display.sh COMMAND...
# Each call starts its own Xvfb and lets it pick a free display number (-displayfd), so tests
# run in parallel without racing for one; the server ends with the command.
set -euo pipefail
scratch=$(mktemp -d)
fifo=$scratch/display
mkfifo "$fifo"
mkdir -m 700 "$scratch/runtime"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -ac 3>"$fifo" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$scratch"' EXIT
read -r -t 30 display <"$fifo"
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime"
"$@"
