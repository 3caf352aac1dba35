#!/usr/bin/env bash
# Records the demo: about 15 seconds of the widget on the built-in demo home, with taps on the
# picture and on pause and play, as PNG frames and a contact sheet.
set -euo pipefail
orvessa=$1
out=$2
here=$(dirname "$0")
"$orvessa" record --seconds 15 --fps 20 --out "$out" --script "$here/demo.script"
echo "Open $out/contact-sheet.png for the whole demo at a glance; $out/frame-*.png are the frames."
echo "To watch it live in a window: $orvessa run   (or: $orvessa run --photos ~/Pictures/SOME-FOLDER)"
