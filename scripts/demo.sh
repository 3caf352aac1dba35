#!/usr/bin/env bash
# Records the demo: about 15 seconds of the widget on the built-in demo home, with taps on the
# picture and on pause and play, as PNG frames with a contact sheet, and as one animated WebP beside
# them that plays in a browser.
set -euo pipefail
orvessa=$1
out=$2
here=$(dirname "$0")
"$orvessa" record --seconds 15 --fps 20 --out "$out" --script "$here/demo.script" > /dev/null
"$orvessa" record --seconds 15 --fps 20 --out "$(dirname "$out")/demo.webp" --script "$here/demo.script" > /dev/null
echo "The demo at a glance:     $out/contact-sheet.png"
echo "Its frames:               $out/frame-*.png"
echo "As one animation:         $(dirname "$out")/demo.webp (open it in a browser)"
echo "To watch it live in a window: $orvessa run   (or: $orvessa run --photos ~/Pictures/SOME-FOLDER)"
