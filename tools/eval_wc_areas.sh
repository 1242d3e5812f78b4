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
# exit status and the last line of its report (the summary). Exits 1 when a
# record differs, is missing or is extra, or normalize fails (status 2); 0
# when the listings are not there. Not part of `make test`: the listings are
# third-party files that a fresh clone does not have.
#
# usage: tools/eval_wc_areas.sh [BUILD_DIR] [WC_AREAS_DIR]
#        (defaults build/release and ../shared/listings/wc-areas)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
areas_dir=${2:-$root/../shared/listings/wc-areas}
tolvconv=$build/bin/tolvconv
tolvbase=$build/bin/tolvbase

if [[ ! -d $areas_dir ]]; then
  echo "eval_wc_areas: no listings at $areas_dir; nothing to evaluate"
  exit 0
fi
for program in "$tolvconv" "$tolvbase"; do
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
  for layout in "DIR$area" "$area.DIR" "SFFILES.$area" "HC$area.BBS" FILES.BBS DESCRIPT.ION WILDCAT.TXT; do
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
exit $failed
