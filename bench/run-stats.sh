#!/usr/bin/env bash
# Plays `orvessa run --seconds 20 --stats` under a private Xvfb on two generated homes, with the
# window's decode-ahead and without it (--no-prefetch), and prints each run's JSON figures and its
# peak memory (/usr/bin/time). The homes are made once, by code, into a cache under /tmp.
#
#   bash bench/run-stats.sh [BUILD]        BUILD defaults to build-bench (make bench builds it)
#
# SDL draws through its own software renderer here: Mesa's software OpenGL on Xvfb costs far more
# CPU and memory than the widget, and would measure the X server's stand-in instead.
set -euo pipefail
build=${1:-build-bench}
seconds=${RUN_SECONDS:-20}
cache=${TMPDIR:-/tmp}/orvessa-run-homes
orvessa=$build/app/orvessa
for tool in Xvfb /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "run-stats: $tool is not installed (xvfb, time)" >&2; exit 2; }
done
[[ -x $orvessa && -x $build/bench/make_run_home ]] || { echo "run-stats: build $build first (make bench)" >&2; exit 2; }

echo "run-stats: making the homes in $cache (the first time takes a minute)" >&2
"$build/bench/make_run_home" "$cache/mixed" mixed
"$build/bench/make_run_home" "$cache/big" big

# An X server of our own on a display number it picks, gone when the script ends.
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do [[ -s $displayfile ]] && break; sleep 0.1; done
[[ -s $displayfile ]] || { echo "run-stats: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$displayfile") SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
for home in mixed big; do
  for mode in prefetch no-prefetch; do
    flags=()
    [[ $mode == no-prefetch ]] && flags=(--no-prefetch)
    memory=$(mktemp)
    figures=$(/usr/bin/time -f %M -o "$memory" "$orvessa" run --home "$cache/$home" --seconds "$seconds" --stats "${flags[@]}")
    printf '%-6s %-12s %s peakRSS_MB=%.1f\n' "$home" "$mode" "$figures" "$(awk '{ print $1 / 1024 }' "$memory")"
    rm -f "$memory"
  done
done
