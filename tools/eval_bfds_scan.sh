#!/bin/bash
# Evaluates `tolvbase scan` on ../shared/listings/bfds-area, 168 archives of
# a real file echo, each with its FILE_ID.DIZ, beside the echo's FILES.BBS
# (../shared/listings/bfds-FILES.BBS), which was written from those
# descriptions. The folder is scanned once:
#
#   tolvbase scan bfds-area > scan.lst 2> report
#
# and each entry of scan.lst is compared with the FILES.BBS entry of the
# same name (any letter case): the words of the two descriptions (the lines
# joined and split at blanks). The script that wrote FILES.BBS dropped every
# '!', so words equal but for those are counted apart. FILES.BBS names more
# files than the folder holds; only the folder's are compared.
#
# Prints the entries written, the archives described, the entries whose
# words are equal, those that differ (the first few with both texts), those
# FILES.BBS does not name, the report's finding kinds, scan's exit status
# and its summary.
#
# usage: tools/eval_bfds_scan.sh [BUILD_DIR] [LISTINGS_DIR]
set -euo pipefail

build=${1:-build/release}
listings=${2:-$(dirname "$0")/../../shared/listings}
tolvbase=$build/bin/tolvbase
[[ -x $tolvbase ]] || { echo "missing $tolvbase: build the release preset first" >&2; exit 2; }
[[ -d $listings/bfds-area ]] || { echo "no $listings/bfds-area" >&2; exit 2; }
work=$(mktemp -d /tmp/tolv-eval-bfds-XXXXXX)
trap 'rm -rf "$work"' EXIT

status=0
"$tolvbase" scan "$listings/bfds-area" >"$work/scan.lst" 2>"$work/report" || status=$?

python3 - "$work/scan.lst" "$listings/bfds-FILES.BBS" "$work/report" "$status" <<'PY'
import collections, re, sys

scan_path, bbs_path, report_path, status = sys.argv[1:]

def pcboard_entries(path):
    """Name -> description words of a PCBoard listing as normalize writes it."""
    entries, name = {}, None
    for line in open(path, 'rb').read().decode('cp437').splitlines():
        if len(line) > 30 and line[25] == '-' and line[28] == '-':
            name = line.split(' ')[0]
            entries[name] = line[33:].split()
        elif len(line) > 31 and line[31] == '|' and name:
            entries[name] += line[33:].split()
    return entries

def files_bbs_entries(path):
    """Name (upper case) -> words of the echo's FILES.BBS: an entry line
    'NAME  date time  N Bytes', then its text indented."""
    entries, name = {}, None
    for line in open(path, 'rb').read().decode('cp437').splitlines():
        if line and not line[0].isspace():
            name = line.split()[0].upper()
            entries[name] = []
        elif name:
            entries[name] += line.split()
    return entries

scan = pcboard_entries(scan_path)
bbs = files_bbs_entries(bbs_path)
def bare(words):
    """The words without '!', which the script that wrote FILES.BBS dropped."""
    return [w for w in (w.replace('!', '') for w in words) if w]

equal, bangs, differ, unnamed = 0, 0, [], []
for name, words in sorted(scan.items()):
    if name.upper() not in bbs:
        unnamed.append(name)
    elif bbs[name.upper()] == words:
        equal += 1
    elif bare(bbs[name.upper()]) == bare(words):
        bangs += 1
    else:
        differ.append((name, ' '.join(words), ' '.join(bbs[name.upper()])))

report = open(report_path, 'rb').read().decode('latin-1').splitlines()
kinds = collections.Counter(l.split(': ')[1] for l in report if re.match(r'^\d+: ', l))
described = sum(1 for words in scan.values() if words)
print(f"entries written: {len(scan)}, described: {described}")
print(f"words equal to FILES.BBS: {equal}, equal but for its dropped '!': {bangs}, "
      f"different: {len(differ)}, not in FILES.BBS: {len(unnamed)}")
for name, got, want in differ[:5]:
    print(f"  {name}\n    scan:      {got}\n    FILES.BBS: {want}")
if unnamed:
    print("  not in FILES.BBS: " + ' '.join(unnamed[:10]))
print("findings: " + (', '.join(f"{k} {n}" for k, n in sorted(kinds.items())) or "none"))
print(f"scan status: {status}")
print(report[-1] if report else "(no report)")
PY
