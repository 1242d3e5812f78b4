#!/bin/bash
# Times `tolvbase preview` against converting the same listing with tolvconv
# into a fresh base, in one run (best of 5 each, wall clock), on the CD index
# of ../shared/listings when it is there, and on a listing from make_listing.
# Prints the times and their ratio as a Markdown table.
#
# usage: bench/preview_speed.sh [BUILD_DIR] [LISTING...]
set -euo pipefail

build=${1:-build/release}
shift || true
tolvconv=$build/src/app/tolvconv
tolvbase=$build/src/tolvbase/tolvbase
make_listing=$build/bench/make_listing
for program in "$tolvconv" "$tolvbase" "$make_listing"; do
  [[ -x $program ]] || { echo "missing $program: build the release preset first" >&2; exit 2; }
done

work=$(mktemp -d /tmp/tolv-preview-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
listings=("$@")
if [[ ${#listings[@]} -eq 0 ]]; then
  index=$(dirname "$0")/../../shared/listings/wccpm-00-INDEX.TXT
  [[ -f $index ]] && listings+=("$index")
  "$make_listing" 200000 2 >"$work/generated.lst"
  listings+=("$work/generated.lst")
fi

# best_of COMMAND...: the best wall time of 5 runs, in seconds.
best_of() {
  local best=
  for _ in 1 2 3 4 5; do
    rm -f "$work/base.dir" "$work/base.des"
    local start=$(date +%s%N)
    "$@" >/dev/null || [[ $? -eq 1 ]]
    local ns=$(($(date +%s%N) - start))
    [[ -z $best || $ns -lt $best ]] && best=$ns
  done
  echo "$best / 1000000000" | bc -l
}

echo "| listing | tolvconv s | preview s | preview --json s | ratio | ratio --json |"
echo "|---|---:|---:|---:|---:|---:|"
for listing in "${listings[@]}"; do
  convert=$(best_of "$tolvconv" "$listing" "$work/base")
  preview=$(best_of "$tolvbase" preview "$listing")
  json=$(best_of "$tolvbase" preview --json "$listing")
  printf '| %s | %.3f | %.3f | %.3f | %.2f | %.2f |\n' "$(basename "$listing")" "$convert" \
    "$preview" "$json" "$(echo "$preview / $convert" | bc -l)" "$(echo "$json / $convert" | bc -l)"
done
