#!/bin/bash
# Times `tolvbase export` in each format against `tolvbase list` of the same
# base, in one run (best of 5 each, wall clock, output to a file), on bases
# that tolvconv makes from make_listing's listings of 100,000 and 400,000
# entries; then the peak memory of each (maximum resident set size, from
# /usr/bin/time when it is installed) and whether the listing export
# converts back into the same two files. Prints Markdown tables.
#
# usage: bench/export_speed.sh [BUILD_DIR]
set -euo pipefail

source "$(dirname "$0")/common.sh" "${1:-}" export tolvconv tolvbase make_listing


# peak_kib COMMAND...: the maximum resident set size of one run.
peak_kib() {
  if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1
  else
    echo "-"
  fi
}

sizes=(100000 400000)
for n in "${sizes[@]}"; do
  "$make_listing" "$n" 2 >"$work/$n.lst"
  "$tolvconv" "$work/$n.lst" "$work/$n" >/dev/null
done

echo "| records | list s | export pcboard s | json s | csv s | pcboard / list | json / list | csv / list |"
echo "|---:|---:|---:|---:|---:|---:|---:|---:|"
for n in "${sizes[@]}"; do
  list=$(best_of "$tolvbase" list --encoding raw "$work/$n")
  pcboard=$(best_of "$tolvbase" export "$work/$n")
  json=$(best_of "$tolvbase" export --format json "$work/$n")
  csv=$(best_of "$tolvbase" export --format csv "$work/$n")
  ratio() { echo "$1 / $list" | bc -l; }
  printf '| %s | %.3f | %.3f | %.3f | %.3f | %.2f | %.2f | %.2f |\n' "$n" "$list" "$pcboard" \
    "$json" "$csv" "$(ratio "$pcboard")" "$(ratio "$json")" "$(ratio "$csv")"
done

echo
echo "| records | list KiB | pcboard KiB | json KiB | csv KiB | converts back whole |"
echo "|---:|---:|---:|---:|---:|---|"
for n in "${sizes[@]}"; do
  "$tolvbase" export "$work/$n" >"$work/back.lst"
  "$tolvconv" "$work/back.lst" "$work/back-$n" >/dev/null
  same=no
  cmp -s "$work/$n.dir" "$work/back-$n.dir" && cmp -s "$work/$n.des" "$work/back-$n.des" && same=yes
  printf '| %s | %s | %s | %s | %s | %s |\n' "$n" \
    "$(peak_kib "$tolvbase" list --encoding raw "$work/$n")" \
    "$(peak_kib "$tolvbase" export "$work/$n")" \
    "$(peak_kib "$tolvbase" export --format json "$work/$n")" \
    "$(peak_kib "$tolvbase" export --format csv "$work/$n")" "$same"
done
