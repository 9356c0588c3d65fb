#!/usr/bin/env bash
# Whether carrying colour profiles and metadata left every other output as it was: converts
# pictures without a profile or metadata (one of every input kind, a photo and a drawing)
# to every output type with an earlier build's engine and with this one, and compares the
# outputs byte for byte. Then the cost of a profile: the size it adds and the time of whole
# runs over photos with and without one (median of RUNS, default 5).
#   bench/metadata_bytes.sh EARLIER_BUILD [BUILD]   (each a build folder with
#                                                    bench/pixmorrow_convert)
set -euo pipefail
source "$(dirname "$0")/lib/timing.sh"
earlier=$1/bench/pixmorrow_convert
build=${2:-build}
engine=$build/bench/pixmorrow_convert
runs=${RUNS:-5}
for e in "$earlier" "$engine"; do
    [[ -x $e ]] || { echo "metadata_bytes: build $e first" >&2; exit 1; }
done
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

src=$work/sources
bash "$here/../tests/conversion/routes/make_matrix_fixtures.sh" "$src" >/dev/null
rm -f "$src/kinds.txt"
convert -seed 3 -size 400x300 plasma:fractal -resize 400% -quality 90 "$src/photo.jpg"
convert -size 640x480 gradient:navy-orange -fill white -draw "circle 320,240 320,100" "$src/drawing.png"
# Everything a source could carry besides its pixels goes, so none has a profile or metadata.
exiftool -q -q -overwrite_original -all= "$src"/* 2>/dev/null || true

# The bytes of a file without the time stamps the external converter writes into PNG files
# (tIME, and date: texts), which differ between any two runs.
cat >"$work/unstamped.py" <<'EOF2'
import struct, sys
d = open(sys.argv[1], 'rb').read()
if d[:8] != b'\x89PNG\r\n\x1a\n':
    sys.stdout.buffer.write(d)
    sys.exit()
out, i = [d[:8]], 8
while i + 8 <= len(d):
    n = struct.unpack('>I', d[i:i + 4])[0]
    kind, body = d[i + 4:i + 8], d[i + 8:i + 8 + n]
    if kind != b'tIME' and not (kind == b'tEXt' and body.startswith(b'date:')):
        out.append(d[i:i + 12 + n])
    i += 12 + n
sys.stdout.buffer.write(b''.join(out))
EOF2
unstamped_same() { cmp -s <(python3 "$work/unstamped.py" "$1") <(python3 "$work/unstamped.py" "$2"); }

types=(WEBP PNG APNG JPG JPEG JFIF TIF TIFF GIF BMP ICO WMP)
same=0
stamped=0
profiled=0
differ=0
for type in "${types[@]}"; do
    mkdir -p "$work/a/$type" "$work/b/$type"
    "$earlier" --type "$type" --quality 80 --dest "$work/a/$type" "$src"/* >/dev/null 2>&1 || true
    "$engine" --type "$type" --quality 80 --dest "$work/b/$type" "$src"/* >/dev/null 2>&1 || true
    for a in "$work/a/$type"/*; do
        b=$work/b/$type/${a##*/}
        if [[ -f $b ]] && cmp -s "$a" "$b"; then
            same=$((same + 1))
        elif [[ -f $b ]] && unstamped_same "$a" "$b"; then
            stamped=$((stamped + 1))
        elif [[ -f $b && $(exiftool -b -ICC_Profile "$a" | wc -c) == 0 &&
                $(exiftool -b -ICC_Profile "$b" | wc -c) != 0 ]]; then
            # The source had a profile after all, given by the converter's intermediate.
            profiled=$((profiled + 1))
            echo "now with the source's profile: $type ${a##*/}"
        else
            differ=$((differ + 1))
            echo "differs: $type ${a##*/}"
        fi
    done
    for b in "$work/b/$type"/*; do
        [[ -f $work/a/$type/${b##*/} ]] || { differ=$((differ + 1)); echo "only now: $type ${b##*/}"; }
    done
done
echo "outputs of sources without a profile or metadata: $same byte for byte the same, $stamped" \
    "the same but for the converter's time stamps, $differ different; $profiled now carry a" \
    "profile the external converter gave"

# The cost of a profile: photos of 12 MP with a 3 KB wide-gamut profile and without.
python3 "$here/../tests/conversion/routes/make_icc_profile.py" "$work/wide.icc"
mkdir -p "$work/photos/plain" "$work/photos/tagged"
convert -seed 1 -size 4000x3000 plasma:fractal "$work/base.miff"
for i in 1 2 3 4; do
    convert "$work/base.miff" -roll +$((i * 37))+$((i * 53)) -quality 90 "$work/photos/plain/p$i.jpg"
    cp "$work/photos/plain/p$i.jpg" "$work/photos/tagged/p$i.jpg"
done
exiftool -q -overwrite_original "-icc_profile<=$work/wide.icc" "$work/photos/tagged"/*.jpg
timeit() {  # engine, type, photo folder, output folder: seconds of one whole run
    mkdir -p "$4"
    local start
    start=$(date +%s.%N)
    "$1" --type "$2" --quality 80 --dest "$4" "$3"/*.jpg >/dev/null
    echo "$(date +%s.%N) - $start" | bc -l
}
echo "whole runs over 4 photos of 12 MP, median of $runs: earlier build, this build, this build with a profile"
for type in WEBP JPG PNG TIF; do
    : >"$work/earlier.times"
    : >"$work/plain.times"
    : >"$work/tagged.times"
    # Interleaved, so that a busy moment of the machine falls on all three alike.
    for ((r = 0; r < runs; r++)); do
        timeit "$earlier" "$type" "$work/photos/plain" "$work/out/$type/earlier/$r" >>"$work/earlier.times"
        timeit "$engine" "$type" "$work/photos/plain" "$work/out/$type/plain/$r" >>"$work/plain.times"
        timeit "$engine" "$type" "$work/photos/tagged" "$work/out/$type/tagged/$r" >>"$work/tagged.times"
    done
    earlier_s=$(median <"$work/earlier.times")
    plain=$(median <"$work/plain.times")
    tagged=$(median <"$work/tagged.times")
    bytes_plain=$(stat -c %s "$work/out/$type/plain/0"/p1.*)
    bytes_tagged=$(stat -c %s "$work/out/$type/tagged/0"/p1.*)
    printf '%-4s %6.2f s, %6.2f s (%.3f of earlier), %6.2f s (%.3f of plain); one output %d -> %d bytes (+%d)\n' \
        "$type" "$earlier_s" "$plain" "$(echo "$plain / $earlier_s" | bc -l)" "$tagged" \
        "$(echo "$tagged / $plain" | bc -l)" "$bytes_plain" "$bytes_tagged" $((bytes_tagged - bytes_plain))
done
echo "profile: $(stat -c %s "$work/wide.icc") bytes"
