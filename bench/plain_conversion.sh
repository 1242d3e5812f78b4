#!/bin/bash
# Benchmark of a plain conversion (no -DUPE), standard output redirected to a
# file, on listings from make_listing. Measures, in one run:
#   - entries per second converting 200,000 entries of 2 description lines
#     (best of 3 runs, wall clock);
#   - system calls per converted entry, from strace -c -f, at 100,000 and
#     400,000 entries of 2 description lines and at 100,000 entries of 1 and
#     of 10 description lines, split into the listing's reads and the rest;
#   - peak memory (maximum resident set size) at 100,000 and 400,000 entries.
# Prints the results as a Markdown table.
#
# usage: bench/plain_conversion.sh [BUILD_DIR]   (default build/release)
set -euo pipefail

build=${1:-build/release}
tolvconv=$build/bin/tolvconv
make_listing=$build/bench/make_listing
for program in "$tolvconv" "$make_listing"; do
  [[ -x $program ]] || { echo "missing $program: build the release preset first" >&2; exit 2; }
done
command -v strace >/dev/null || { echo "strace is needed (apt-get install strace)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is needed (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d /tmp/tolv-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

# listing ENTRIES LINES: generates the listing once and prints its path.
listing() {
  local path=$work/listing-$1-$2.lst
  [[ -f $path ]] || "$make_listing" "$1" "$2" >"$path"
  echo "$path"
}

# convert LISTING: one conversion into a fresh file base, output to a file.
convert() {
  rm -f "$work/base.dir" "$work/base.des"
  "$tolvconv" "$1" "$work/base" >"$work/out.txt"
}

# check ENTRIES: the run converted every entry.
check() {
  local records=$(($(stat -c %s "$work/base.dir") / 120))
  [[ $records -eq $1 ]] || { echo "expected $1 records, got $records" >&2; exit 1; }
  grep -q 'DONE\.$' "$work/out.txt" || { echo "the run did not end with DONE." >&2; exit 1; }
}

# Entries per second.
entries=200000
path=$(listing $entries 2)
best=
for _ in 1 2 3; do
  start=$(date +%s%N)
  convert "$path"
  end=$(date +%s%N)
  check $entries
  ns=$((end - start))
  [[ -z $best || $ns -lt $best ]] && best=$ns
done
bytes=$(stat -c %s "$path")
echo "| Measure | Value |"
echo "|---|---|"
printf '| listing of %d entries, 2 description lines | %d bytes (%.0f bytes per entry) |\n' \
  $entries "$bytes" "$(echo "$bytes / $entries" | bc -l)"
printf '| conversion time, best of 3 | %.3f s |\n' "$(echo "$best / 1000000000" | bc -l)"
printf '| entries per second | %.0f |\n' "$(echo "$entries * 1000000000 / $best" | bc -l)"
echo

# System calls per entry.
echo "| Entries | Description lines | Listing bytes per entry | System calls | Per entry | Reads per entry | Other calls per entry |"
echo "|---:|---:|---:|---:|---:|---:|---:|"
for run in "100000 2" "400000 2" "100000 1" "100000 10"; do
  set -- $run
  path=$(listing "$1" "$2")
  rm -f "$work/base.dir" "$work/base.des"
  strace -c -f -o "$work/strace.txt" "$tolvconv" "$path" "$work/base" >"$work/out.txt"
  check "$1"
  total=$(awk '$NF == "total" { print $4 }' "$work/strace.txt")
  reads=$(awk '$NF == "read" { print $4 }' "$work/strace.txt")
  bytes=$(stat -c %s "$path")
  printf '| %d | %d | %.0f | %d | %.2f | %.2f | %.2f |\n' "$1" "$2" \
    "$(echo "$bytes / $1" | bc -l)" "$total" "$(echo "$total / $1" | bc -l)" \
    "$(echo "$reads / $1" | bc -l)" "$(echo "($total - $reads) / $1" | bc -l)"
  if [[ $1 -eq 100000 && $2 -eq 2 ]]; then cp "$work/strace.txt" "$work/strace-100000-2.txt"; fi
done
echo
echo "strace -c of the 100,000-entry run, 2 description lines:"
echo
echo '```'
cat "$work/strace-100000-2.txt"
echo '```'
echo

# Peak memory.
echo "| Entries | Maximum resident set size |"
echo "|---:|---:|"
for entries in 100000 400000; do
  path=$(listing $entries 2)
  rm -f "$work/base.dir" "$work/base.des"
  /usr/bin/time -f '%M' -o "$work/time.txt" "$tolvconv" "$path" "$work/base" >"$work/out.txt"
  check $entries
  printf '| %d | %d KiB |\n' $entries "$(tail -1 "$work/time.txt")"
done
