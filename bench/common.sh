# Shared by the benchmark scripts, sourced after `set -euo pipefail`:
#
#   source "$(dirname "$0")/common.sh" BUILD_DIR NAME PROGRAM...
#
# sets tolvconv, tolvbase, tolvboard, make_listing and make_archives to the
# programs of
# BUILD_DIR (default build/release), checks that each PROGRAM named is built,
# and makes a scratch directory $work, removed at exit. Then the timing
# helpers below.
build=${1:-build/release}
tolvconv=$build/bin/tolvconv
tolvbase=$build/bin/tolvbase
tolvboard=$build/bin/tolvboard
make_listing=$build/bench/make_listing
make_archives=$build/bench/make_archives
for program in "${@:3}"; do
  [[ -x ${!program} ]] || { echo "missing ${!program}: build the release preset first" >&2; exit 2; }
done
work=$(mktemp -d "/tmp/tolv-$2-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# best_of COMMAND...: the best wall time of 5 runs, in seconds, standard
# output to a file. Status 1 (findings, a record not written exactly) counts
# as a run. A script that must undo a run before the next defines
# bench_reset.
best_of() {
  local best=
  for _ in 1 2 3 4 5; do
    if declare -F bench_reset >/dev/null; then bench_reset; fi
    local start=$(date +%s%N)
    "$@" >"$work/stdout" || [[ $? -eq 1 ]]
    local ns=$(($(date +%s%N) - start))
    [[ -z $best || $ns -lt $best ]] && best=$ns
  done
  echo "$best / 1000000000" | bc -l
}

# timed COMMAND...: "wall cpu" of one run, in seconds (cpu: user + system,
# its children included); standard output is dropped, status 0 and 1 count.
timed() {
  local TIMEFORMAT='%3R %3U %3S' times
  times=$({ time "$@" >/dev/null; } 2>&1) || [[ $? -eq 1 ]]
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<<"${times##*$'\n'}"
}

# median, minimum: of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
minimum() { sort -n | head -1; }
