#!/usr/bin/env bash
# Whole-process figures for the frame outputs, each against its goal:
# - the demo recording (15 s at 20 fps) as PNG frames and as one animated WebP: wall time;
# - a snapshot of a home holding one 12-megapixel JPEG, to PNG and to JPEG, against ImageMagick's
#   size-hinted thumbnail of the same photo: median of paired runs, and their median ratio;
# - a snapshot that draws only the panel: CPU time (user + system);
# - peak memory of a 10-minute recording against a 15-second one.
# Usage: bench/frames.sh [BUILD] (default build-bench; `make bench-frames` builds it and runs this).
# Needs hyperfine, ImageMagick (for the comparison only, never a build dependency) and python3:
#   sudo apt-get install hyperfine imagemagick python3
set -euo pipefail
build=${1:-build-bench}
runs=${RUNS:-15}
here=$(cd "$(dirname "$0")/.." && pwd)
orvessa=$(cd "$build" && pwd)/app/orvessa
# ImageMagick's own program, not any other `convert` earlier on the PATH.
convert=/usr/bin/convert
for tool in hyperfine python3 "$convert"; do
  command -v "$tool" > /dev/null || { echo "frames.sh: $tool is missing (sudo apt-get install hyperfine imagemagick python3)" >&2; exit 1; }
done
work=$(mktemp -d /tmp/orvessa-frames-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

echo "machine: $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
mkdir -p photos empty
"$build/bench/make_bench_photo" photos/IMG_0001.JPG 2> /dev/null || "$here/$build/bench/make_bench_photo" photos/IMG_0001.JPG
photo=$work/photos/IMG_0001.JPG
echo "photo: $(python3 -c 'import os,sys; print(os.path.getsize(sys.argv[1]))' "$photo") bytes, 4032 x 3024"

# Median wall times of two commands run in pairs, the order swapped every pair so drift falls on
# both alike, and the median of the per-pair ratios A / B.
paired() {
  local label=$1 a=$2 b=$3
  python3 - "$runs" "$a" "$b" "$label" <<'PY'
import statistics, subprocess, sys, time
runs, a, b, label = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
def timed(command):
    start = time.perf_counter()
    subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start
timed(a); timed(b)
pairs = []
for i in range(runs):
    if i % 2 == 0:
        ta = timed(a); tb = timed(b)
    else:
        tb = timed(b); ta = timed(a)
    pairs.append((ta, tb))
ma = statistics.median(p[0] for p in pairs) * 1000
mb = statistics.median(p[1] for p in pairs) * 1000
ratio = statistics.median(p[0] / p[1] for p in pairs)
print(f"{label}: orvessa {ma:.1f} ms, ImageMagick {mb:.1f} ms (medians of {runs} pairs); ratio {ratio:.3f}")
PY
}

# hyperfine's mean wall time and mean CPU (user + system) of one command.
measured() {
  local label=$1 command=$2 prepare=${3:-true}
  hyperfine -N --warmup 1 --runs "${RUNS_LONG:-5}" --prepare "$prepare" --export-json "$work/h.json" "$command" > /dev/null
  python3 - "$work/h.json" "$label" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"][0]
print(f"{sys.argv[2]}: wall median {r['median']*1000:.0f} ms (min {r['min']*1000:.0f}, max {r['max']*1000:.0f}), CPU {1000*(r['user']+r['system']):.0f} ms")
PY
}

demo="record --seconds 15 --fps 20 --script $here/scripts/demo.script"
measured "demo recording, PNG frames (goal: at most 1500 ms wall)" "$orvessa $demo --out $work/demo" "rm -rf $work/demo"
measured "demo recording, animated WebP (goal: at most 3000 ms wall)" "$orvessa $demo --out $work/demo.webp"
echo "  $(ls "$work/demo" | wc -l) files, $(du -sk "$work/demo" | cut -f1) KB; demo.webp $(($(stat -c %s "$work/demo.webp") / 1024)) KB"

thumbnail="$convert -define jpeg:size=612x388 $photo -thumbnail 612x388 $work/magick.jpg"
paired "12-megapixel snapshot to PNG (goal: ratio at most 0.8)" "$orvessa snapshot --at 0.6 --photos $work/photos --out $work/s.png" "$thumbnail"
paired "12-megapixel snapshot to JPEG (goal: ratio at most 0.6)" "$orvessa snapshot --at 0.6 --photos $work/photos --out $work/s.jpg" "$thumbnail"

RUNS_LONG=20 measured "snapshot of the panel alone, no photo (goal: under 20 ms CPU)" "$orvessa snapshot --at 0 --photos $work/empty --out $work/panel.png"
RUNS_LONG=20 measured "the same to JPEG" "$orvessa snapshot --at 0 --photos $work/empty --out $work/panel.jpg"
RUNS_LONG=20 measured "the program starting and stopping (orvessa --version)" "$orvessa --version"

peak() {
  /usr/bin/time -f %M "$orvessa" record --seconds "$1" --fps 20 --out "$2" 2>&1 > /dev/null | tail -1
}
echo "peak memory, PNG frames: 15 s $(peak 15 "$work/short") KB, 10 min $(peak 600 "$work/long") KB"
rm -rf "$work/short" "$work/long"
echo "peak memory, WebP: 15 s $(peak 15 "$work/short.webp") KB, 10 min $(peak 600 "$work/long.webp") KB ($(($(stat -c %s "$work/long.webp") / 1024)) KB file)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
