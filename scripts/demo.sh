#!/usr/bin/env bash
# Runs the widget in the host on the built-in demo home: create, placeholder row, full view, a few
# seconds of slideshow, teardown; prints the state dumps.
set -euo pipefail
orvessa=$1
out=$2
mkdir -p "$out"
"$orvessa" script - <<'SCRIPT'
create
placeholder
dump
full
advance 3.5
dump
unload
destroy
dump
SCRIPT
