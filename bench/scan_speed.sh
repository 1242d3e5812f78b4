#!/bin/bash
# Times `tolvbase scan` against reading every archive's bytes once, on
# folders of ZIP archives from make_archives (each of three deflated
# members, 4 to 120 KiB, its FILE_ID.DIZ first, second or last in turn):
#
#   cat:  find DIR -type f -print0 | xargs -0 cat > /dev/null
#   scan: tolvbase scan DIR > listing 2> report
#
# at 20,000 archives, laid out as PKZIP lays them (each member's sizes in its
# local header) and as a writer that cannot seek back leaves them (the sizes
# after each member's data), in ROUNDS alternating rounds (default 5; the
# first of each pair changes from round to round), wall clock and processor
# time (user + system) from bash's `time`. The ratio scan / cat is taken of
# the medians; the target is at most 2. Every file is read once before the
# timing, so both read from the page cache. One scan of each folder first
# checks that every archive became an entry described from its FILE_ID.DIZ
# and that the status is 0; the timed runs must write the same listing.
# Then the peak memory (maximum resident set size, /usr/bin/time) of scan at
# 2,000 and 20,000 archives.
#
# usage: [ARCHIVES=N] bench/scan_speed.sh [BUILD_DIR] [ROUNDS]
# (ARCHIVES, default 20000, sets the larger folders' size, for a quick try.)
set -euo pipefail

source "$(dirname "$0")/common.sh" "${1:-}" scan tolvbase make_archives
rounds=${2:-5}
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is needed (apt-get install time)" >&2; exit 2; }
failed=0

# The folders: name, archives, make_archives option.
big=${ARCHIVES:-20000}
folders=("pkzip-$big $big" "descriptors-$big $big --descriptors" "pkzip-2000 2000")

read_all() { find "$1" -type f -print0 | xargs -0 cat >/dev/null; }
scan() { "$tolvbase" scan "$1" >"$2" 2>"$work/report"; }

declare -A bytes
for folder in "${folders[@]}"; do
  set -- $folder
  bytes[$1]=$("$make_archives" ${3:-} "$work/$1" "$2")
done

echo "Each folder scanned once:"
echo
echo "| folder | archives | bytes | entries written | described | status | check |"
echo "|---|---:|---:|---:|---:|---:|---|"
for folder in "${folders[@]}"; do
  set -- $folder
  status=0
  scan "$work/$1" "$work/$1.lst" || status=$?
  summary=$(tail -1 "$work/report")
  written=$(sed -n 's/.* \([0-9]*\) entries written.*/\1/p' <<<"$summary")
  described=$(sed -n 's/.* \([0-9]*\) descriptions\{0,1\} from archives.*/\1/p' <<<"$summary")
  check=ok
  [[ $status -eq 0 && $written -eq $2 && $described -eq $2 ]] || { check=FAILED; failed=1; }
  echo "| $1 | $2 | ${bytes[$1]} | $written | $described | $status | $check |"
done

echo
echo "Medians of $rounds alternating rounds (seconds):"
echo
echo "| folder | cat wall | scan wall | ratio (wall) | cat cpu | scan cpu | ratio (cpu) |"
echo "|---|---:|---:|---:|---:|---:|---:|"
for folder in "${folders[@]:0:2}"; do
  set -- $folder
  dir=$work/$1
  read_all "$dir"
  : >"$work/cat.times"
  : >"$work/scan.times"
  for ((round = 0; round < rounds; ++round)); do
    for first in $((round % 2)) $((1 - round % 2)); do
      if ((first == 0)); then
        timed read_all "$dir" >>"$work/cat.times"
      else
        timed scan "$dir" "$work/timed.lst" >>"$work/scan.times"
        cmp -s "$work/timed.lst" "$dir.lst" || { echo "$1: a timed scan wrote another listing" >&2; failed=1; }
      fi
    done
  done
  cat_wall=$(cut -d' ' -f1 "$work/cat.times" | median)
  cat_cpu=$(cut -d' ' -f2 "$work/cat.times" | median)
  scan_wall=$(cut -d' ' -f1 "$work/scan.times" | median)
  scan_cpu=$(cut -d' ' -f2 "$work/scan.times" | median)
  awk -v name="$1" -v cw="$cat_wall" -v sw="$scan_wall" -v cc="$cat_cpu" -v sc="$scan_cpu" \
    'BEGIN { printf "| %s | %.3f | %.3f | %.2f | %.3f | %.3f | %s |\n", name, cw, sw, sw / cw, cc, sc,
             (cc > 0 ? sprintf("%.2f", sc / cc) : "-") }'
done

echo
echo "Peak memory of scan (maximum resident set size):"
echo
echo "| folder | archives | scan KB |"
echo "|---|---:|---:|"
for folder in "pkzip-2000 2000" "pkzip-$big $big" "descriptors-$big $big"; do
  set -- $folder
  /usr/bin/time -o "$work/rss" -f %M "$tolvbase" scan "$work/$1" >/dev/null 2>"$work/report" || true
  echo "| $1 | $2 | $(cat "$work/rss") |"
done
exit $failed
