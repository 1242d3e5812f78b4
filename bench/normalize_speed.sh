#!/bin/bash
# Times `tolvbase normalize` against tolvconv on what normalize writes, on
# listings from make_listing in three layouts that tolvconv cannot read:
# Spitfire and a list generator's catalog (200,000 entries each) and
# FILES.BBS with the directory of its files (--dir). For each listing:
#
#   normalize: tolvbase normalize [--dir DIR] LISTING > clean.lst 2> report
#   tolvconv:  tolvconv clean.lst BASE > log        (BASE fresh every run)
#
# both in ROUNDS alternating rounds (default 5; the first of each pair
# changes from round to round), wall clock and processor time (user +
# system) from bash's `time`. The ratio normalize / tolvconv is taken of the
# medians. Before the timing, one run of each checks that the clean listing
# converts to one record per entry it holds, that it holds the entries
# expected, and normalize's exit status; the timed runs must write the same
# clean listing. Then the peak memory (maximum resident set size, from
# /usr/bin/time) of normalize at 50,000 and 200,000 entries per layout, with
# tolvconv's on the same clean listing beside it.
#
# The FILES.BBS listing of 200,000 entries whose directory holds 20,000 of
# its files leaves a clean listing of 20,000 entries: normalize reads ten
# times the entries tolvconv converts, so that row times normalize's reading
# and reporting, not a like-for-like rewrite. The FILES.BBS rows with the
# whole directory (20,000 and 200,000 files) are the like-for-like ones.
#
# usage: bench/normalize_speed.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail

source "$(dirname "$0")/common.sh" "${1:-}" normalize tolvconv tolvbase make_listing
rounds=${2:-5}
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is needed (apt-get install time)" >&2; exit 2; }

# The cases: layout, entries, files in the directory (0: no --dir).
cases=("spitfire 200000 0" "generator 200000 0" "files-bbs 200000 20000" "files-bbs 20000 20000"
  "files-bbs 200000 200000")
memory_cases=("spitfire 50000 0" "spitfire 200000 0" "generator 50000 0" "generator 200000 0"
  "files-bbs 50000 20000" "files-bbs 200000 20000" "files-bbs 50000 50000" "files-bbs 200000 200000")
failed=0

# prepare LAYOUT ENTRIES FILES: the listing (and directory) in $work/$1-$2-$3.
prepare() {
  local stem=$work/$1-$2-$3
  [[ -f $stem.lst ]] && return
  if [[ $3 -gt 0 ]]; then
    "$make_listing" --layout "$1" --dir "$stem.d" --dir-files "$3" "$2" >"$stem.lst"
  else
    "$make_listing" --layout "$1" "$2" >"$stem.lst"
  fi
}

# normalize LAYOUT ENTRIES FILES OUT REPORT: one run; prints its status.
normalize() {
  local stem=$work/$1-$2-$3 dir=()
  [[ $3 -gt 0 ]] && dir=(--dir "$stem.d")
  local status=0
  "$tolvbase" normalize "${dir[@]}" "$stem.lst" >"$4" 2>"$5" || status=$?
  echo "$status"
}

# convert LISTING: one conversion into a fresh base, output to a file.
convert() {
  rm -f "$work/base.dir" "$work/base.des"
  "$tolvconv" "$1" "$work/base" >"$work/tolvconv.log"
}

# entry_lines LISTING: the lines tolvconv takes as entries (`-` at 26 and 29).
entry_lines() { awk 'substr($0, 26, 1) == "-" && substr($0, 29, 1) == "-"' "$1" | wc -l; }

echo "Each listing, normalized once and its clean listing converted once:"
echo
echo "| layout | entries | files in DIR | listing bytes | entries written | records | normalize status | check |"
echo "|---|---:|---:|---:|---:|---:|---:|---|"
for case in "${cases[@]}"; do
  set -- $case
  prepare "$@"
  stem=$work/$1-$2-$3
  status=$(normalize "$@" "$stem.clean" "$stem.report")
  written=$(entry_lines "$stem.clean")
  convert "$stem.clean" || true
  records=$(($(stat -c %s "$work/base.dir" 2>/dev/null || echo 0) / 120))
  expected=$2 expected_status=0
  if [[ $3 -gt 0 && $3 -lt $2 ]]; then expected=$3 expected_status=1; fi
  check=ok
  [[ $written -eq $expected ]] || check="expected $expected entries"
  [[ $records -eq $written ]] || check="$check; $records records for $written entries"
  [[ $status -eq $expected_status ]] || check="$check; expected status $expected_status"
  [[ $check == ok ]] || { check=${check#ok; }; failed=1; }
  printf '| %s | %d | %d | %d | %d | %d | %d | %s |\n' "$1" "$2" "$3" "$(stat -c %s "$stem.lst")" \
    "$written" "$records" "$status" "$check"
done
echo
echo "The last line of each report:"
echo
for case in "${cases[@]}"; do
  set -- $case
  printf -- '- %s %d, %d files: %s\n' "$1" "$2" "$3" "$(tail -n 1 "$work/$1-$2-$3.report")"
done
echo
# Timing a run that does not do its job would mean nothing.
[[ $failed -eq 0 ]] || { echo "normalize_speed: a check failed, nothing timed" >&2; exit 1; }

echo "$rounds alternating rounds; medians (best in brackets); ratio = normalize / tolvconv of the medians:"
echo
echo "| layout | entries | files in DIR | normalize wall s | tolvconv wall s | ratio wall | normalize cpu s | tolvconv cpu s | ratio cpu |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|"
for case in "${cases[@]}"; do
  set -- $case
  stem=$work/$1-$2-$3
  : >"$work/n.times"
  : >"$work/c.times"
  for ((round = 1; round <= rounds; ++round)); do
    if ((round % 2)); then
      timed normalize "$@" "$work/timed.clean" "$work/timed.report" >>"$work/n.times"
      timed convert "$stem.clean" >>"$work/c.times"
    else
      timed convert "$stem.clean" >>"$work/c.times"
      timed normalize "$@" "$work/timed.clean" "$work/timed.report" >>"$work/n.times"
    fi
    cmp -s "$work/timed.clean" "$stem.clean" || { echo "$1 $2: a timed run wrote another clean listing" >&2; failed=1; }
  done
  nw=$(cut -d' ' -f1 "$work/n.times" | median) cw=$(cut -d' ' -f1 "$work/c.times" | median)
  nc=$(cut -d' ' -f2 "$work/n.times" | median) cc=$(cut -d' ' -f2 "$work/c.times" | median)
  printf '| %s | %d | %d | %.3f (%.3f) | %.3f (%.3f) | %.2f | %.3f (%.3f) | %.3f (%.3f) | %.2f |\n' \
    "$1" "$2" "$3" "$nw" "$(cut -d' ' -f1 "$work/n.times" | minimum)" \
    "$cw" "$(cut -d' ' -f1 "$work/c.times" | minimum)" "$(echo "$nw / $cw" | bc -l)" \
    "$nc" "$(cut -d' ' -f2 "$work/n.times" | minimum)" \
    "$cc" "$(cut -d' ' -f2 "$work/c.times" | minimum)" "$(echo "$nc / $cc" | bc -l)"
done
echo

echo "Peak memory (maximum resident set size):"
echo
echo "| layout | entries | files in DIR | normalize KiB | tolvconv on its output KiB |"
echo "|---|---:|---:|---:|---:|"
for case in "${memory_cases[@]}"; do
  set -- $case
  prepare "$@"
  stem=$work/$1-$2-$3
  dir=()
  [[ $3 -gt 0 ]] && dir=(--dir "$stem.d")
  /usr/bin/time -f %M -o "$work/time.txt" "$tolvbase" normalize "${dir[@]}" "$stem.lst" \
    >"$work/mem.clean" 2>/dev/null || [[ $? -eq 1 ]]
  normalize_kib=$(tail -1 "$work/time.txt")
  rm -f "$work/base.dir" "$work/base.des"
  /usr/bin/time -f %M -o "$work/time.txt" "$tolvconv" "$work/mem.clean" "$work/base" >/dev/null
  printf '| %s | %d | %d | %s | %s |\n' "$1" "$2" "$3" "$normalize_kib" "$(tail -1 "$work/time.txt")"
done

exit $failed
