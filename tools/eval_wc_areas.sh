#!/bin/bash
# Evaluates `tolvbase normalize` on the CD areas of ../shared/listings/wc-areas,
# which hold one area's listing in seven layouts beside a manifest of its
# files. For each area (226, 255) it recreates the area's directory with
# make-dir.py, then for each layout:
#
#   tolvbase normalize --dir DIR LISTING > clean.lst 2> report
#   tolvconv clean.lst BASE                                  (a fresh base)
#
# and compares every record of BASE with the base tolvconv makes straight
# from the area's PCBoard DIR file, which is the truth: the name, the size,
# the date and the description's words (its lines joined, split at blanks).
# The record tolvconv makes of the DIR's rule of dashes (a name empty or made
# of dashes and equals signs only) is not a file and is left out. DESCRIPT.ION
# lists only the files that have a description: only those are expected.
#
# Prints per area and layout: the records expected and got, how many are
# equal and how many differ (with the first few differences), normalize's
# exit status and the last line of its report (the summary).
#
# Then the same fourteen listings as one board: an area file naming each
# listing with its area's directory (LISTING<TAB>DESCRIPTION<TAB>DIR) is
# migrated by `tolvboard --normalize --dry-run --json` and then by
# `tolvboard --normalize --json` into one OUTDIR; every base is compared as
# above, and the dry run's appended count with the run's and with the
# base's records.
#
# Then a second run without --dupe (every base unchanged, status 1), an
# --append run undone by --undo (every base byte for byte as before), and
# two runs started at once into one OUTDIR (one converts, one exits 2).
#
# Exits 1 when a record differs, is missing or is extra, normalize fails
# (status 2), tolvboard does not exit 0, or the dry run predicts another
# count; 0 when the listings are not there. Not part of `make test`: the
# listings are third-party files that a fresh clone does not have.
#
# usage: tools/eval_wc_areas.sh [BUILD_DIR] [WC_AREAS_DIR]
#        (defaults build/release and ../shared/listings/wc-areas)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
areas_dir=${2:-$root/../shared/listings/wc-areas}
tolvconv=$build/bin/tolvconv
tolvbase=$build/bin/tolvbase
tolvboard=$build/bin/tolvboard

if [[ ! -d $areas_dir ]]; then
  echo "eval_wc_areas: no listings at $areas_dir; nothing to evaluate"
  exit 0
fi
for program in "$tolvconv" "$tolvbase" "$tolvboard"; do
  [[ -x $program ]] || { echo "missing $program: build the release preset first" >&2; exit 2; }
done
command -v python3 >/dev/null || { echo "python3 is needed" >&2; exit 2; }

work=$(mktemp -d /tmp/tolv-eval-wc-XXXXXX)
trap 'rm -rf "$work"' EXIT

# export_json LISTING BASE: converts LISTING into a fresh BASE (a path with no
# extension: tolvconv would drop it) and writes its records as JSON Lines to
# BASE.json.
export_json() {
  rm -f "$2.dir" "$2.des"
  "$tolvconv" "$1" "$2" >"$2.log" || true
  if [[ -f $2.dir ]]; then
    "$tolvbase" export --format json "$2" >"$2.json"
  else
    : >"$2.json"
  fi
}

# compare TRUTH.json GOT.json [DESCRIPT.ION]: the comparison's lines; status 1
# when a record differs, is missing or is extra.
compare() {
  python3 - "$@" <<'EOF'
import json, sys

def records(path):
    with open(path, encoding='utf-8') as f:
        return [json.loads(line) for line in f if line.strip()]

def is_rule(record):
    return record['name'].strip('-=') == ''

def described(path):
    """The names a DESCRIPT.ION describes: the first word, or a quoted name,
    of each line up to a Ctrl-D."""
    names = set()
    with open(path, 'rb') as f:
        for raw in f.read().split(b'\n'):
            line = raw.rstrip(b'\r').decode('latin-1')
            if not line.strip():
                continue
            if line.startswith('"'):
                name = line[1:].split('"', 1)[0]
            else:
                name = line.split(' ', 1)[0]
            names.add(name.upper())
    return names

def view(record):
    return (record['name'], record['size'], record['date'],
            ' '.join(' '.join(record['description']).split()))

truth = [r for r in records(sys.argv[1]) if not is_rule(r)]
if len(sys.argv) > 3:
    wanted = described(sys.argv[3])
    truth = [r for r in truth if r['name'].upper() in wanted]
got = records(sys.argv[2])

expected = {}
for r in truth:
    expected.setdefault(r['name'].upper(), []).append(view(r))
equal, differences, extra = 0, [], []
for r in got:
    mine = view(r)
    candidates = expected.get(r['name'].upper())
    if not candidates:
        extra.append(f"{mine[0]!r} (record {r['record']})")
        continue
    want = candidates.pop(0)
    if mine == want:
        equal += 1
        continue
    fields = []
    for label, a, b in zip(('name', 'size', 'date'), want, mine):
        if a != b:
            fields.append(f'{label} {a!r} -> {b!r}')
    if want[3] != mine[3]:
        a, b = want[3].split(), mine[3].split()
        at = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
        fields.append(f'words from {at + 1} of {len(a)}: {" ".join(a[at:at + 6])!r} -> '
                      f'{" ".join(b[at:at + 6])!r} ({len(b)} words)')
    differences.append(f"{want[0]}: " + '; '.join(fields))
missing = [name for name, left in expected.items() for _ in left]
print(f'expected {len(truth)}, got {len(got)}, equal {equal}, differing {len(differences)}, '
      f'missing {len(missing)}, extra {len(extra)}')
for line in differences[:5]:
    print(f'    {line}')
for label, names in (('missing', missing), ('extra', extra)):
    if names:
        print(f'    {label}: {", ".join(names[:8])}{" ..." if len(names) > 8 else ""}')
sys.exit(1 if differences or missing or extra else 0)
EOF
}

layouts() { echo "DIR$1" "$1.DIR" "SFFILES.$1" "HC$1.BBS" FILES.BBS DESCRIPT.ION WILDCAT.TXT; }

failed=0
for area_path in "$areas_dir"/*/; do
  area=$(basename "$area_path")
  [[ -f $area_path/files.tsv && -f $area_path/DIR$area ]] || continue
  dir=$work/$area/files
  mkdir -p "$work/$area"
  python3 "$areas_dir/make-dir.py" "$area_path/files.tsv" "$dir"
  export_json "$area_path/DIR$area" "$work/$area/truth"
  echo "== area $area: $(ls "$dir" | wc -l) files; DIR$area converts to" \
    "$(grep -c . "$work/$area/truth.json") records, the rule of dashes included"
  for layout in $(layouts "$area"); do
    listing=$area_path/$layout
    [[ -f $listing ]] || { echo "$layout: not there"; failed=1; continue; }
    out=$work/$area/${layout//./_}
    status=0
    "$tolvbase" normalize --dir "$dir" "$listing" >"$out.clean" 2>"$out.report" || status=$?
    export_json "$out.clean" "$out-base"
    only_described=()
    [[ $layout == DESCRIPT.ION ]] && only_described=("$listing")
    result=0
    comparison=$(compare "$work/$area/truth.json" "$out-base.json" "${only_described[@]}") || result=$?
    [[ $status -ge 2 ]] && result=1
    [[ $result -eq 0 ]] || failed=1
    printf '%-14s status %d; %s\n' "$layout" "$status" "${comparison%%$'\n'*}"
    printf '    report: %s\n' "$(tail -n 1 "$out.report")"
    [[ $comparison == *$'\n'* ]] && printf '%s\n' "${comparison#*$'\n'}"
  done
done

# The board: every layout of both areas, each with its area's directory.
board=$work/board
mkdir -p "$board"
: >"$board/areas"
for area_path in "$areas_dir"/*/; do
  area=$(basename "$area_path")
  [[ -d $work/$area/files ]] || continue
  for layout in $(layouts "$area"); do
    printf '%s\t%s\t%s\n' "$area_path$layout" "$area $layout" "$work/$area/files" >>"$board/areas"
  done
done
echo "== board: $(wc -l <"$board/areas") areas, tolvboard --normalize"
status=0
"$tolvboard" --normalize --dry-run --json --areas "$board/areas" "$board/out" >"$board/dry.jsonl" || status=$?
[[ $status -eq 0 ]] || { echo "the dry run exited $status"; failed=1; }
[[ ! -e $board/out ]] || { echo "the dry run made OUTDIR"; failed=1; }
status=0
"$tolvboard" --normalize --json --areas "$board/areas" "$board/out" >"$board/run.jsonl" || status=$?
[[ $status -eq 0 ]] || { echo "the run exited $status"; failed=1; }
n=0
while IFS=$'\t' read -r listing text files; do
  n=$((n + 1))
  area=${text%% *} layout=${text#* }
  counts=$(python3 - "$board/dry.jsonl" "$board/run.jsonl" "$n" <<'PY'
import json, sys
dry, run = (json.loads(open(p).readlines()[int(sys.argv[3]) - 1]) for p in sys.argv[1:3])
print(run['base'], run['status'], run['layout'], run['appended'], dry['appended'], run['not_carried'],
      run['dropped'], 'exact' if run['exact'] else 'inexact')
PY
)
  read -r base outcome found appended predicted not_carried dropped exact <<<"$counts"
  if [[ -f $base.dir || -f ${base%.*}.dir ]]; then
    "$tolvbase" export --format json "$base" >"$board/$n.json"
  else
    : >"$board/$n.json"
  fi
  records=$(grep -c . "$board/$n.json" || true)
  only_described=()
  [[ $layout == DESCRIPT.ION ]] && only_described=("$listing")
  result=0
  comparison=$(compare "$work/$area/truth.json" "$board/$n.json" "${only_described[@]}") || result=$?
  [[ $outcome == converted && $appended -eq $predicted && $appended -eq $records ]] || result=1
  [[ $result -eq 0 ]] || failed=1
  printf '%2d %-17s %s as %s: %d appended (dry run %d), %d not carried, %d dropped, %s; %s\n' \
    "$n" "$text" "$outcome" "$found" "$appended" "$predicted" "$not_carried" "$dropped" "$exact" \
    "${comparison%%$'\n'*}"
  [[ $comparison == *$'\n'* ]] && printf '%s\n' "${comparison#*$'\n'}"
done <"$board/areas"
echo "totals: $(tail -1 "$board/run.jsonl")"

# The same board again: without --dupe no base changes (every area exists,
# status 1); an --append run doubles every base and --undo takes it back
# byte for byte; two runs started at once into a fresh OUTDIR: one converts,
# the other exits 2 naming the first.
digest() { (cd "$board/out" && cat ./*.dir ./*.des | sha256sum); }
before=$(digest)
status=0
"$tolvboard" --normalize --areas "$board/areas" "$board/out" >"$board/again.txt" || status=$?
exists=$(grep -c ' exists$' "$board/again.txt" || true)
[[ $status -eq 1 && $(digest) == "$before" ]] || failed=1
echo "== again without --dupe: exit $status, $exists areas exist, bases $([[ $(digest) == "$before" ]] && echo unchanged || echo CHANGED)"
status=0
"$tolvboard" --normalize --append --areas "$board/areas" "$board/out" >/dev/null || status=$?
doubled=$(digest)
undo=0
"$tolvboard" --undo "$board/out" >"$board/undo.txt" || undo=$?
[[ $status -eq 0 && $doubled != "$before" && $undo -eq 0 && $(digest) == "$before" ]] || failed=1
echo "== --append: exit $status; --undo: exit $undo, $(tail -1 "$board/undo.txt"), bases $([[ $(digest) == "$before" ]] && echo "as before, byte for byte" || echo DIFFERENT)"
rm -rf "$board/twice"
first=0 second=0
"$tolvboard" --normalize --areas "$board/areas" "$board/twice" >"$board/first.txt" 2>&1 &
pid=$!
"$tolvboard" --normalize --areas "$board/areas" "$board/twice" >"$board/second.txt" 2>&1 || second=$?
wait $pid || first=$?
echo "== two at once: exits $first and $second; $(grep -h 'is in use' "$board/first.txt" "$board/second.txt" | head -1)"
[[ ($first -eq 0 && $second -eq 2) || ($first -eq 2 && $second -eq 0) ]] || failed=1
exit $failed
