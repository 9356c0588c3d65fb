# Sourced by the benchmark scripts (bench/*.sh): the timing loop they share.

# Numbers on standard input, one a line: the median (the lower middle of an even count).
median() { LC_ALL=C sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# rounds, output folder, /usr/bin/time format, results file, command...: runs the command
# `rounds` times, each into a fresh output folder, and writes one line of the format a run into
# the results file. A failing run shows its errors and fails the call.
timed_rounds() {
    local rounds=$1 out=$2 format=$3 results=$4
    shift 4
    : >"$results"
    for ((r = 0; r < rounds; r++)); do
        rm -rf "$out"
        mkdir -p "$out"
        /usr/bin/time -f "$format" -o "$results.time" "$@" >/dev/null 2>"$results.err" ||
            { cat "$results.err" >&2; return 1; }
        cat "$results.time" >>"$results"
    done
}
