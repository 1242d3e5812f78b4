#!/bin/bash
# Runs `tolvbase preview` on every listing in ../shared/listings (third-party
# files, never part of the project) and prints, per file, its entries and how
# often each finding kind fired. Prints nothing and succeeds when the
# listings are not there.
#
# usage: bench/preview_listings.sh [BUILD_DIR] [LISTINGS_DIR]
#        (defaults build/release and ../shared/listings)
set -uo pipefail

build=${1:-build/release}
listings=${2:-$(dirname "$0")/../../shared/listings}
tolvbase=$build/bin/tolvbase
[[ -d $listings ]] || exit 0
[[ -x $tolvbase ]] || { echo "missing $tolvbase: build the release preset first" >&2; exit 2; }

echo "| listing | entries | findings by kind |"
echo "|---|---:|---|"
for listing in "$listings"/*; do
  [[ -f $listing && $(basename "$listing") != README.md ]] || continue
  summary=$("$tolvbase" preview "$listing" | tail -1)
  status=$?
  [[ $status -le 1 ]] || { echo "preview of $listing failed" >&2; exit 2; }
  entries=${summary%% *}
  kinds=${summary#*finding}
  kinds=${kinds#s}
  kinds=${kinds#:}
  [[ $summary == *"no finding" ]] && kinds=none
  printf '| %s | %s | %s |\n' "$(basename "$listing")" "$entries" "${kinds# }"
done
