#!/bin/bash
# Times tolvboard --as-is (each listing converted as it stands, as the loop
# converts it, journaled and synced) over a board made of the given
# listings (one area each, spelled in upper case in its DIR.LST and stored
# in lower case) against a shell loop that runs tolvconv on the same
# listings, and against a dry run, in one run (best of 5 each, wall clock). Without listings it uses those of
# ../shared/listings when they are there, else five from make_listing.
# Prints the times and their ratios as a Markdown table.
#
# usage: bench/board_speed.sh [BUILD_DIR] [LISTING...]
set -euo pipefail

source "$(dirname "$0")/common.sh" "${1:-}" board tolvconv tolvboard make_listing
shift || true

listings=("$@")
if [[ ${#listings[@]} -eq 0 ]]; then
  shared=$(dirname "$0")/../../shared/listings
  for listing in "$shared"/*; do
    [[ -f $listing && $listing != *.md ]] && listings+=("$listing")
  done
  if [[ ${#listings[@]} -eq 0 ]]; then
    for n in 1 2 3 4 5; do
      "$make_listing" $((n * 4000)) 2 >"$work/generated$n.lst"
      listings+=("$work/generated$n.lst")
    done
  fi
fi

mkdir -p "$work/c/pcb/dir"
n=0
for listing in "${listings[@]}"; do
  n=$((n + 1))
  cp "$listing" "$work/c/pcb/dir/l$n"
  printf '%-30s%-30s%-35s\0' "C:\\PCB\\DIR\\L$n" 'C:\FILES' "$(basename "$listing" | cut -c1-35)"
done >"$work/DIR.LST"

# Each timed run starts with a fresh OUTDIR.
bench_reset() { rm -rf "$work/out"; }

by_hand() {
  mkdir "$work/out"
  for ((i = 1; i <= n; i++)); do
    "$tolvconv" "$work/c/pcb/dir/l$i" "$work/out/$i-L$i" >>"$work/out/tolvboard.log"
  done
}

loop=$(best_of by_hand)
board=$(best_of "$tolvboard" --map "C:=$work/c" --as-is "$work/DIR.LST" "$work/out")
dry=$(best_of "$tolvboard" --map "C:=$work/c" --as-is --dry-run "$work/DIR.LST" "$work/out")
echo "| areas | tolvconv loop s | tolvboard s | --dry-run s | ratio | ratio --dry-run |"
echo "|---:|---:|---:|---:|---:|---:|"
printf '| %d | %.3f | %.3f | %.3f | %.2f | %.2f |\n' "$n" "$loop" "$board" "$dry" \
  "$(echo "$board / $loop" | bc -l)" "$(echo "$dry / $loop" | bc -l)"
