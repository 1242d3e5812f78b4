#!/bin/bash
# Times tolvboard over a board made of the given listings (one area each,
# spelled in upper case in its DIR.LST and stored in lower case) against a
# shell loop that runs tolvconv on the same listings, and against a dry run,
# in one run (best of 5 each, wall clock). Without listings it uses those of
# ../shared/listings when they are there, else five from make_listing.
# Prints the times and their ratios as a Markdown table.
#
# usage: bench/board_speed.sh [BUILD_DIR] [LISTING...]
set -euo pipefail

build=${1:-build/release}
shift || true
tolvconv=$build/src/app/tolvconv
tolvboard=$build/src/tolvboard/tolvboard
make_listing=$build/bench/make_listing
for program in "$tolvconv" "$tolvboard" "$make_listing"; do
  [[ -x $program ]] || { echo "missing $program: build the release preset first" >&2; exit 2; }
done
export PATH=$(cd "$(dirname "$tolvconv")" && pwd):$PATH

work=$(mktemp -d /tmp/tolv-board-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
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

# best_of COMMAND...: the best wall time of 5 runs into a fresh OUTDIR, in seconds.
best_of() {
  local best=
  for _ in 1 2 3 4 5; do
    rm -rf "$work/out"
    local start=$(date +%s%N)
    "$@" >/dev/null || [[ $? -eq 1 ]]
    local ns=$(($(date +%s%N) - start))
    [[ -z $best || $ns -lt $best ]] && best=$ns
  done
  echo "$best / 1000000000" | bc -l
}

by_hand() {
  mkdir "$work/out"
  for ((i = 1; i <= n; i++)); do
    "$tolvconv" "$work/c/pcb/dir/l$i" "$work/out/$i-L$i" >>"$work/out/tolvboard.log"
  done
}

loop=$(best_of by_hand)
board=$(best_of "$tolvboard" --map "C:=$work/c" "$work/DIR.LST" "$work/out")
dry=$(best_of "$tolvboard" --map "C:=$work/c" --dry-run "$work/DIR.LST" "$work/out")
echo "| areas | tolvconv loop s | tolvboard s | --dry-run s | ratio | ratio --dry-run |"
echo "|---:|---:|---:|---:|---:|---:|"
printf '| %d | %.3f | %.3f | %.3f | %.2f | %.2f |\n' "$n" "$loop" "$board" "$dry" \
  "$(echo "$board / $loop" | bc -l)" "$(echo "$dry / $loop" | bc -l)"
