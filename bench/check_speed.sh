#!/bin/bash
# Times `tolvbase check` on a base converted once from a listing of 200,000
# entries, on the same listing converted twice (the repeat found, 400,000
# records), and on a base of one entry appended 200,000 times (every record
# a candidate start of a repeat), best of 5 wall-clock runs each, in one run.
# Prints the times and the time per record as a Markdown table.
#
# usage: bench/check_speed.sh [BUILD_DIR]
set -euo pipefail

source "$(dirname "$0")/common.sh" "${1:-}" check tolvconv tolvbase make_listing

"$make_listing" 200000 2 >"$work/generated.lst"
"$tolvconv" "$work/generated.lst" "$work/once" >/dev/null
"$tolvconv" "$work/generated.lst" "$work/twice" >/dev/null
"$tolvconv" "$work/generated.lst" "$work/twice" >/dev/null
awk 'BEGIN { for (i = 0; i < 200000; i++) printf "%-12s%9s  %s  %s\r\n", "SAME.ZIP", 1024, "01-15-95", "One entry" }' \
  >"$work/same.lst"
"$tolvconv" "$work/same.lst" "$work/same" >/dev/null

echo "| base | records | check s | us per record | finding |"
echo "|---|---:|---:|---:|---|"
for base in once twice same; do
  records=$(($(stat -c %s "$work/$base.dir") / 120))
  seconds=$(best_of "$tolvbase" check "$work/$base")
  finding=$(grep -c '^problem: records .* repeat records' "$work/stdout" || true)
  printf '| %s | %d | %.3f | %.2f | %s |\n' "$base" "$records" "$seconds" \
    "$(echo "$seconds * 1000000 / $records" | bc -l)" "$([[ $finding -gt 0 ]] && echo repeat || echo none)"
done
