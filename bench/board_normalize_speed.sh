#!/bin/bash
# Times `tolvboard --normalize` over a generated board of mixed layouts
# against the plain migration (no --normalize) of the same board in PCBoard
# layout, side by side in one run.
#
# The board: AREAS areas (default 600) of 18 to 48 entries each (about
# 20,000 in all), their layouts in turn Spitfire, FILES.BBS, a list
# generator's catalog and PCBoard (make_listing). The first three have the
# directory of their files (make_listing --dir); the Spitfire and catalog
# areas name it as their DskPath, each FILES.BBS lies in it with no DskPath
# (so its own directory is used), the PCBoard areas have none. The DIR.LST
# spells every path in upper case and the disk holds it in lower case.
#
# The same board in PCBoard layout is what --normalize wrote for it: one
# untimed run makes OUTDIR/N-NAME.lst for every area, and a second DIR.LST
# names copies of those, with the same directories of files as DskPaths (so
# both runs check every base against its files). Both migrations then convert the same entries;
# before the timing the script checks that every area was converted, that
# the normalizer was exact everywhere, and that the two runs' bases are the
# same bytes.
#
#   normalize: tolvboard --map C:=... --normalize DIR.LST OUTDIR
#   plain:     tolvboard --map C:=... PCB-DIR.LST OUTDIR
#
# each into a fresh OUTDIR, in ROUNDS alternating rounds (default 5; which
# goes first changes every round), wall clock and processor time (user +
# system, tolvconv's included) from bash's `time`; the ratio is normalize /
# plain of the medians. Prints Markdown tables.
#
# usage: bench/board_normalize_speed.sh [BUILD_DIR] [ROUNDS] [AREAS]
set -euo pipefail

source "$(dirname "$0")/common.sh" "${1:-}" board-normalize tolvconv tolvboard make_listing
rounds=${2:-5}
areas=${3:-600}
layouts=(spitfire files-bbs generator pcboard)

c=$work/c
mkdir -p "$c/pcb/dir" "$c/files" "$c/pcb/clean"
record() { printf '%-30s%-30s%-35s\0' "$1" "$2" "$3"; }
entries=0
for ((n = 1; n <= areas; n++)); do
  layout=${layouts[(n - 1) % 4]}
  count=$((18 + (n * 7) % 31))
  entries=$((entries + count))
  files=$c/files/a$n
  case $layout in
    files-bbs)
      mkdir -p "$files"
      "$make_listing" --layout files-bbs --dir "$files" "$count" >"$files/files.bbs"
      record "C:\\FILES\\A$n\\FILES.BBS" "" "Area $n, FILES.BBS"
      ;;
    pcboard)
      "$make_listing" "$count" 2 >"$c/pcb/dir/area$n.pcb"
      record "C:\\PCB\\DIR\\AREA$n.PCB" "" "Area $n, PCBoard"
      ;;
    *)
      mkdir -p "$files"
      "$make_listing" --layout "$layout" --dir "$files" "$count" >"$c/pcb/dir/area$n.lst"
      record "C:\\PCB\\DIR\\AREA$n.LST" "C:\\FILES\\A$n" "Area $n, $layout"
      ;;
  esac
done >"$work/DIR.LST"

# The check run; its listings become the PCBoard board.
"$tolvboard" --map "C:=$c" --normalize --json "$work/DIR.LST" "$work/checked" >"$work/checked.jsonl" ||
  { echo "board_normalize_speed: the check run exited $?" >&2; tail -1 "$work/checked.jsonl" >&2; exit 1; }
for ((n = 1; n <= areas; n++)); do
  cp "$work"/checked/"$n"-*.lst "$c/pcb/clean/dir$n"
  files=""
  [[ ${layouts[(n - 1) % 4]} == pcboard ]] || files="C:\\FILES\\A$n"
  record "C:\\PCB\\CLEAN\\DIR$n" "$files" "Area $n"
done >"$work/PCB-DIR.LST"
"$tolvboard" --map "C:=$c" "$work/PCB-DIR.LST" "$work/plain" >/dev/null
differ=0
for ((n = 1; n <= areas; n++)); do
  for ext in dir des; do
    cmp -s "$work"/checked/"$n"-*."$ext" "$work/plain/$n-DIR$n.$ext" || differ=$((differ + 1))
  done
done
totals=$(tail -1 "$work/checked.jsonl")
records=$(cat "$work"/plain/*.dir | wc -c)
records=$((records / 120))
echo "Board: $areas areas, $entries entries, $(find "$c/files" -type f | wc -l) files in the areas' directories;"
echo "the check run: $totals"
echo "records: $records; areas whose bases differ between the two runs: $((differ / 2))"
echo
[[ $records -eq $entries && $differ -eq 0 && $totals == *'"inexact": 0'* ]] ||
  { echo "board_normalize_speed: a check failed, nothing timed" >&2; exit 1; }

fresh() { rm -rf "$work/out"; "$@"; }
: >"$work/n.times"
: >"$work/p.times"
for ((round = 1; round <= rounds; ++round)); do
  normalize=(fresh "$tolvboard" --map "C:=$c" --normalize "$work/DIR.LST" "$work/out")
  plain=(fresh "$tolvboard" --map "C:=$c" "$work/PCB-DIR.LST" "$work/out")
  if ((round % 2)); then
    timed "${normalize[@]}" >>"$work/n.times"
    timed "${plain[@]}" >>"$work/p.times"
  else
    timed "${plain[@]}" >>"$work/p.times"
    timed "${normalize[@]}" >>"$work/n.times"
  fi
done

echo "$rounds alternating rounds; medians (best in brackets); ratio = normalize / plain of the medians:"
echo
echo "| areas | entries | normalize wall s | plain wall s | ratio wall | normalize cpu s | plain cpu s | ratio cpu |"
echo "|---:|---:|---:|---:|---:|---:|---:|---:|"
nw=$(cut -d' ' -f1 "$work/n.times" | median) pw=$(cut -d' ' -f1 "$work/p.times" | median)
nc=$(cut -d' ' -f2 "$work/n.times" | median) pc=$(cut -d' ' -f2 "$work/p.times" | median)
printf '| %d | %d | %.3f (%.3f) | %.3f (%.3f) | %.2f | %.3f (%.3f) | %.3f (%.3f) | %.2f |\n' \
  "$areas" "$entries" "$nw" "$(cut -d' ' -f1 "$work/n.times" | minimum)" \
  "$pw" "$(cut -d' ' -f1 "$work/p.times" | minimum)" "$(echo "$nw / $pw" | bc -l)" \
  "$nc" "$(cut -d' ' -f2 "$work/n.times" | minimum)" \
  "$pc" "$(cut -d' ' -f2 "$work/p.times" | minimum)" "$(echo "$nc / $pc" | bc -l)"
