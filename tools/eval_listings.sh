#!/bin/bash
# Evaluates `tolvbase normalize` on every listing at the top of
# ../shared/listings (third-party files a fresh clone does not have). For
# each it prints the layout the normalizer chose, its exit status and its
# counts: entries written and not carried, lines skipped as furniture and
# lines dropped (each of those named in the report).
#
# For a listing tolvconv already reads (one it converts to at least one
# record that is not a rule row), it also compares, record by record, what
# tolvconv makes of the listing with what it makes of normalize's output:
# the name, size, date and description lines, rule rows left out. A listing
# tolvconv reads exactly should come out the same; every difference is
# printed.
#
# Not part of `make test`. Exits 0 when the listings are not there.
#
# usage: tools/eval_listings.sh [BUILD_DIR] [LISTINGS_DIR]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
listings=${2:-$root/../shared/listings}
tolvconv=$build/bin/tolvconv
tolvbase=$build/bin/tolvbase

if [[ ! -d $listings ]]; then
  echo "eval_listings: no listings at $listings; nothing to evaluate"
  exit 0
fi
for program in "$tolvconv" "$tolvbase"; do
  [[ -x $program ]] || { echo "missing $program: build the release preset first" >&2; exit 2; }
done
command -v python3 >/dev/null || { echo "python3 is needed" >&2; exit 2; }

work=$(mktemp -d /tmp/tolv-eval-listings-XXXXXX)
trap 'rm -rf "$work"' EXIT

# convert LISTING BASE: BASE.json, the records tolvconv makes of LISTING.
convert() {
  rm -f "$2.dir" "$2.des"
  "$tolvconv" "$1" "$2" >/dev/null || true
  if [[ -f $2.dir ]]; then "$tolvbase" export --format json "$2" >"$2.json"; else : >"$2.json"; fi
}

for listing in "$listings"/*; do
  [[ -f $listing ]] || continue
  name=$(basename "$listing")
  [[ $name == README.md ]] && continue
  set +e
  "$tolvbase" normalize --json "$listing" >"$work/out.lst" 2>"$work/report"
  status=$?
  set -e
  convert "$listing" "$work/direct"
  convert "$work/out.lst" "$work/normal"
  python3 - "$name" "$status" "$work" <<'EOF'
import difflib, json, sys
name, status, work = sys.argv[1], sys.argv[2], sys.argv[3]
summary = None
for line in open(f"{work}/report", encoding="utf-8", errors="replace"):
    try:
        obj = json.loads(line)
    except ValueError:
        print(f"{name:26s} status {status}: {line.strip()}")
        sys.exit(0)
    if obj.get("summary"):
        summary = obj
def records(path):
    out = []
    for line in open(path, encoding="utf-8"):
        r = json.loads(line)
        if r["name"].strip("-=_ ") == "":
            continue
        out.append((r["name"], r["size"], r["date"], tuple(r["description"])))
    return out
s = summary
print(f"{name:26s} status {status}, layout {s['layout']}: {s['entries']} written, "
      f"{s['not_carried']} not carried, {s['skipped']} skipped, {s['dropped']} dropped")
direct, normal = records(f"{work}/direct.json"), records(f"{work}/normal.json")
if direct and s["layout"] == "pcboard":
    match = difflib.SequenceMatcher(None, direct, normal, autojunk=False)
    same = sum(block.size for block in match.get_matching_blocks())
    print(f"    tolvconv alone: {len(direct)} records; after normalize {len(normal)}, "
          f"{same} the same, in order")
    shown = 0
    for op, a0, a1, b0, b1 in match.get_opcodes():
        if op == "equal" or shown >= 3:
            continue
        shown += 1
        for r in direct[a0:a1][:2]:
            print(f"      tolvconv:  {r}")
        for r in normal[b0:b1][:2]:
            print(f"      normalize: {r}")
EOF
done
