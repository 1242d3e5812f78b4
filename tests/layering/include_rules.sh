#!/usr/bin/env bash
# The layering of src/: each folder may include headers of its own and of the
# folders listed for it, nothing else. Prints every include that breaks a
# rule as FILE:LINE, and every circle of includes, and fails when there is
# one.
#
#   app       uses listing, filebase, console, runtime
#   filebase  uses listing (listing/entry.h only) and runtime
#   listing   uses runtime
#   console   uses runtime
#   runtime   uses none of them
#   companion uses filebase, listing, runtime (the companions' shared layer)
#   normalize uses companion, filebase, listing, runtime (reading listings of
#             any layout, for both companions)
#   tolvbase  uses normalize, companion, filebase, listing, runtime (never app
#             or console)
#   tolvboard uses normalize, companion, filebase, listing, runtime (never
#             app, console or tolvbase: one companion program never includes
#             another's)
#
# An include without a folder is not checked: a header beside the file, or
# "tolv_version.h", which the build generates outside src/ (the package
# version only) and any folder may include.
set -u
src=$(cd "${1:-$(dirname "$0")/../../src}" && pwd)

declare -A may_use=(
  [app]="listing filebase console runtime"
  [filebase]="listing/entry.h runtime"
  [listing]="runtime"
  [console]="runtime"
  [runtime]=""
  [companion]="filebase listing runtime"
  [normalize]="companion filebase listing runtime"
  [tolvbase]="normalize companion filebase listing runtime"
  [tolvboard]="normalize companion filebase listing runtime"
)

broken=0
for dir in "$src"/*/; do
  folder=$(basename "$dir")
  if [[ ! -v may_use[$folder] ]]; then
    echo "$dir: a folder without a rule; add one to $0"
    broken=1
    continue
  fi
  while IFS=: read -r file line text; do
    header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$text")
    target=${header%%/*}
    [[ $header == */* ]] || continue  # a header beside the file
    [[ $target == "$folder" ]] && continue
    allowed=0
    for use in ${may_use[$folder]}; do
      if [[ $use == */* ]]; then
        [[ $header == "$use" ]] && allowed=1
      elif [[ $target == "$use" ]]; then
        allowed=1
      fi
    done
    if ((!allowed)); then
      echo "$file:$line: includes \"$header\"; $folder may use only: ${may_use[$folder]:-nothing}"
      broken=1
    fi
  done < <(grep -nH -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$dir"*.h "$dir"*.cpp 2>/dev/null)
done
# No include runs back up: a header and its source file are one unit, and no
# unit may reach itself through the units it includes.
edges=$(grep -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/[^"]+"' "$src"/*/*.h "$src"/*/*.cpp |
  sed -E "s#^$src/([^:]+)\.(h|cpp):.*\"([^\"]+)\.h\".*#\1 \3#" | awk '$1 != $2')
if loops=$(tsort <<<"$edges" 2>&1 >/dev/null) && [[ -z $loops ]]; then
  :
else
  echo "includes that run in a circle:"
  sed -n 's/^tsort: //p' <<<"$loops" | grep -v 'input contains a loop'
  broken=1
fi
exit $broken
