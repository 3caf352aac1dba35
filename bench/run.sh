#!/usr/bin/env bash
# Runs every benchmark of a Release build. The first run of a program generates its photos into a
# cache under /tmp; the peak-memory figure is taken from a second, separate run so that making the
# photos does not count.
set -euo pipefail
build=${1:-build-bench}
if ! command -v vipsthumbnail >/dev/null; then
  echo "bench: vipsthumbnail (libvips-tools) is not installed; its comparison will be skipped" >&2
fi
"$build/bench/image_list_bench"
"$build/bench/image_decode_bench" 2>/dev/null || true
"$build/bench/render_bench" 2>/dev/null || true
"$build/bench/frame_encode_bench" 2>/dev/null || true
"$build/bench/slide_step_bench" --benchmark_filter=peakMemory > /dev/null
"$build/bench/slide_step_bench" --benchmark_filter='slideStep|turbo|vips'
"$build/bench/slide_step_bench" --benchmark_filter=peakMemory
