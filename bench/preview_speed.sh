#!/bin/bash
# Times `tolvbase preview` against converting the same listing with tolvconv
# into a fresh base, in one run (best of 5 each, wall clock), on the CD index
# of ../shared/listings when it is there, and on a listing from make_listing.
# Prints the times and their ratio as a Markdown table.
#
# usage: bench/preview_speed.sh [BUILD_DIR] [LISTING...]
set -euo pipefail

source "$(dirname "$0")/common.sh" "${1:-}" preview tolvconv tolvbase make_listing
shift || true

listings=("$@")
if [[ ${#listings[@]} -eq 0 ]]; then
  index=$(dirname "$0")/../../shared/listings/wccpm-00-INDEX.TXT
  [[ -f $index ]] && listings+=("$index")
  "$make_listing" 200000 2 >"$work/generated.lst"
  listings+=("$work/generated.lst")
fi

# Each timed conversion starts with no base.
bench_reset() { rm -f "$work/base.dir" "$work/base.des"; }

echo "| listing | tolvconv s | preview s | preview --json s | ratio | ratio --json |"
echo "|---|---:|---:|---:|---:|---:|"
for listing in "${listings[@]}"; do
  convert=$(best_of "$tolvconv" "$listing" "$work/base")
  preview=$(best_of "$tolvbase" preview "$listing")
  json=$(best_of "$tolvbase" preview --json "$listing")
  printf '| %s | %.3f | %.3f | %.3f | %.2f | %.2f |\n' "$(basename "$listing")" "$convert" \
    "$preview" "$json" "$(echo "$preview / $convert" | bc -l)" "$(echo "$json / $convert" | bc -l)"
done
