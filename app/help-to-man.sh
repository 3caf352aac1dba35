#!/bin/sh
# Writes the manual page's SUBCOMMANDS and COMMON OPTIONS sections, as a help2man include, from the
# help each subcommand prints; the options every subcommand takes are described once.
# Usage: help-to-man.sh ORVESSA OUTPUT
set -eu
command=$1
output=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The subcommands, in the order the top-level help lists them.
"$command" --help | awk '/^Subcommands:$/ { listing = 1; next } listing && /^  [^ ]/ { print $1 } listing && /^$/ { exit }' > "$work/names"
count=$(wc -l < "$work/names")
[ "$count" -gt 0 ] || { echo "help-to-man.sh: no subcommands in '$command --help'" >&2; exit 1; }

# Each help as records: "U<tab>usage", "D<tab>description", "O<tab>option<tab>text", "F<tab>footer line".
while read -r name; do
  "$command" "$name" --help | awk -v OFS='\t' '
    NR == 1 { print "D", $0; next }
    /^Usage: / { sub(/^Usage: /, ""); print "U", $0; next }
    /^[A-Z][A-Za-z]*:$/ { body = 1; next }
    /^$/ { if (option != "") print "O", option, text; option = ""; if (body) { body = 0; after = 1 }; next }
    body && /^  [^ ]/ {
      if (option != "") print "O", option, text
      line = substr($0, 3)
      split_at = match(line, /   +/)
      if (split_at) { option = substr(line, 1, split_at - 1); text = substr(line, split_at + RLENGTH) }
      else { option = line; text = "" }
      next
    }
    body && /^ +[^ ]/ { sub(/^ +/, ""); text = (text == "" ? $0 : text " " $0); next }
    after { print "F", $0 }
    END { if (option != "") print "O", option, text }
  ' > "$work/$name"
done < "$work/names"

# An option is common when every subcommand has it.
for name in $(cat "$work/names"); do awk -F'\t' '$1 == "O" { print $2 }' "$work/$name" | sort -u; done | sort | uniq -c |
  awk -v n="$count" '$1 == n { $1 = ""; sub(/^ /, ""); print }' > "$work/common"

awk -F'\t' -v commonFile="$work/common" -v namesFile="$work/names" -v dir="$work" '
  function roff(text) {
    gsub(/\\/, "\\e", text)
    gsub(/-/, "\\-", text)
    if (text ~ /^[.'"'"']/) text = "\\&" text
    return text
  }
  function option(name, text) {
    print ".TP"
    print "\\fB" roff(name) "\\fR"
    if (text != "") print roff(text)
  }
  BEGIN {
    while ((getline line < commonFile) > 0) common[line] = 1
    print "[SUBCOMMANDS]"
    while ((getline name < namesFile) > 0) {
      file = dir "/" name
      footer = ""
      while ((getline record < file) > 0) {
        split(record, field, "\t")
        if (field[1] == "D") description = field[2]
        else if (field[1] == "U") usage = field[2]
        else if (field[1] == "O" && !(field[2] in common)) own[++owns] = field[2] "\t" field[3]
        else if (field[1] == "O" && !(field[2] in seen)) { seen[field[2]] = 1; shared[++shares] = field[2] "\t" field[3] }
        else if (field[1] == "F" && field[2] != "") footer = footer roff(field[2]) "\n"
      }
      close(file)
      sub(/^[^ ]*\//, "", usage)
      print ".SS \"" roff(usage) "\""
      print roff(description) "."
      for (i = 1; i <= owns; ++i) { split(own[i], o, "\t"); option(o[1], o[2]) }
      if (footer != "") printf ".PP\n%s", footer
      owns = 0
      delete own
    }
    print ""
    print "[COMMON OPTIONS]"
    print "Every subcommand takes these."
    for (i = 1; i <= shares; ++i) { split(shared[i], o, "\t"); option(o[1], o[2]) }
  }
' > "$output.tmp"
mv "$output.tmp" "$output"
