#!/bin/bash
# Times tolvboard's default run (each listing normalized first, every area
# journaled ahead and its base synced) over a generated board of mixed
# layouts, against the same board's migration as it stands (--as-is, the
# PCBoard twin below) and, when a build of an earlier release is given,
# against that release's `--normalize` run of the same mixed board, side by
# side in one run.
#
# The board: AREAS areas (default 600) of 18 to 48 entries each (about
# 20,000 in all), their layouts in turn Spitfire, FILES.BBS, a list
# generator's catalog and PCBoard (make_listing). The first three have the
# directory of their files (make_listing --dir); the Spitfire and catalog
# areas name it as their DskPath, each FILES.BBS lies in it with no DskPath
# (so its own directory is used), the PCBoard areas have none. The DIR.LST
# spells every path in upper case and the disk holds it in lower case.
#
# The same board in PCBoard layout is what the default run wrote for it: one
# untimed run makes OUTDIR/NAME.lst for every area, and a second DIR.LST
# names copies of those, with the same directories of files as DskPaths (so
# both runs check every base against its files). Both migrations then
# convert the same entries; before the timing the script checks that every
# area was converted, that the normalizer was exact everywhere, and that
# the two runs' bases are the same bytes.
#
#   default:   tolvboard --map C:=... DIR.LST OUTDIR
#   as-is:     tolvboard --map C:=... --as-is PCB-DIR.LST OUTDIR
#   baseline:  BASELINE/bin/tolvboard --map C:=... --normalize DIR.LST OUTDIR
#
# each into a fresh OUTDIR, in ROUNDS rounds (default 5; the order turns
# every round), wall clock and processor time (user + system, tolvconv's
# included) from bash's `time`; the ratios are of the medians. Prints
# Markdown tables.
#
# usage: bench/board_normalize_speed.sh [BUILD_DIR] [ROUNDS] [AREAS] [BASELINE_BUILD_DIR]
set -euo pipefail

source "$(dirname "$0")/common.sh" "${1:-}" board-normalize tolvconv tolvboard make_listing
rounds=${2:-5}
areas=${3:-600}
baseline=${4:+$4/bin/tolvboard}
[[ -z $baseline || -x $baseline ]] || { echo "missing $baseline" >&2; exit 2; }
layouts=(spitfire files-bbs generator pcboard)

c=$work/c
mkdir -p "$c/pcb/dir" "$c/files" "$c/pcb/clean"
record() { printf '%-30s%-30s%-35s\0' "$1" "$2" "$3"; }
# The base each area's listing names (tolvboard names a FILES.BBS's base
# after its directory).
name_of() { case ${layouts[($1 - 1) % 4]} in files-bbs) echo "A$1" ;; *) echo "AREA$1" ;; esac; }
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
"$tolvboard" --map "C:=$c" --json "$work/DIR.LST" "$work/checked" >"$work/checked.jsonl" ||
  { echo "board_normalize_speed: the check run exited $?" >&2; tail -1 "$work/checked.jsonl" >&2; exit 1; }
for ((n = 1; n <= areas; n++)); do
  cp "$work/checked/$(name_of "$n").lst" "$c/pcb/clean/dir$n"
  files=""
  [[ ${layouts[(n - 1) % 4]} == pcboard ]] || files="C:\\FILES\\A$n"
  record "C:\\PCB\\CLEAN\\DIR$n" "$files" "Area $n"
done >"$work/PCB-DIR.LST"
"$tolvboard" --map "C:=$c" --as-is "$work/PCB-DIR.LST" "$work/plain" >/dev/null
differ=0
for ((n = 1; n <= areas; n++)); do
  for ext in dir des; do
    cmp -s "$work/checked/$(name_of "$n").$ext" "$work/plain/DIR$n.$ext" || differ=$((differ + 1))
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
runs=(default as-is)
[[ -n $baseline ]] && runs+=(baseline)
for run in "${runs[@]}"; do : >"$work/$run.times"; done
for ((round = 0; round < rounds; ++round)); do
  for ((i = 0; i < ${#runs[@]}; ++i)); do
    run=${runs[(i + round) % ${#runs[@]}]}
    case $run in
      default) timed fresh "$tolvboard" --map "C:=$c" "$work/DIR.LST" "$work/out" ;;
      as-is) timed fresh "$tolvboard" --map "C:=$c" --as-is "$work/PCB-DIR.LST" "$work/out" ;;
      baseline) timed fresh "$baseline" --map "C:=$c" --normalize "$work/DIR.LST" "$work/out" ;;
    esac >>"$work/$run.times"
  done
done

wall() { cut -d' ' -f1 "$work/$1.times" | "$2"; }
cpu() { cut -d' ' -f2 "$work/$1.times" | "$2"; }
echo "$rounds rounds, the order turning each round; medians (best in brackets):"
echo
echo "| run | wall s | cpu s |"
echo "|---|---:|---:|"
for run in "${runs[@]}"; do
  printf '| %s | %.3f (%.3f) | %.3f (%.3f) |\n' "$run" "$(wall "$run" median)" "$(wall "$run" minimum)" \
    "$(cpu "$run" median)" "$(cpu "$run" minimum)"
done
echo
ratio() { printf '%.2f' "$(echo "$(wall "$1" median) / $(wall "$2" median)" | bc -l)"; }
cpu_ratio() { printf '%.2f' "$(echo "$(cpu "$1" median) / $(cpu "$2" median)" | bc -l)"; }
echo "default / as-is: $(ratio default as-is) on the clock, $(cpu_ratio default as-is) on the processor"
if [[ -n $baseline ]]; then
  echo "default / baseline --normalize: $(ratio default baseline) on the clock, $(cpu_ratio default baseline) on the processor"
fi
