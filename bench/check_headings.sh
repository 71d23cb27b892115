#!/bin/sh
# The benchmark job's headings come out at the levels its generator plans, in
# both recognisers: chapters "第N章　設計条件（そのN）", sections "N.M　検討項目"
# (項 inside a word, not an item), items "N.M.1　詳細". 120 parent pages give
# a second contents page, which keeps its spaces.
#
#   check_headings.sh GENERATOR CLI WORKDIR
set -eu
generator=$1
cli=$2
work=$3
rm -rf "$work"
"$generator" "$work" 120 5
for mode in contents scan; do
  "$cli" headings --headings "$mode" "$work/報告書.pdf" "$work/付録1.pdf" "$work/付録2.pdf" \
    >"$work/$mode.txt" 2>/dev/null
  # A heading entry is title TAB page behind one TAB per level.
  awk -F '\t' -v mode="$mode" '
    /設計条件/ { chapters++; if (NF != 2) { print mode ": not a chapter: " $0; bad++ } }
    /検討項目/ { sections++; if (NF != 3 || $1 != "") { print mode ": not a section: " $0; bad++ } }
    /詳細/     { items++;    if (NF != 4 || $1 != "" || $2 != "") { print mode ": not an item: " $0; bad++ } }
    END {
      if (chapters < 6 || sections < 20 || items < 15) { print mode ": too few headings"; bad++ }
      exit bad > 0
    }' "$work/$mode.txt"
done
echo "benchmark headings: chapters, sections and items at their levels"
