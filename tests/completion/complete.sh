#!/usr/bin/env bash
# Completes command lines with a program's bash completion script, as bash
# would on TAB, and compares the words offered with those expected.
#
#   complete.sh COMPLETION_DIR PROGRAM CASE_FILE...
#
# Each line of a case file is one case, "WORDS TYPED | COMPLETIONS": the last
# word typed is the one completed ('' for an empty one, words as bash quotes
# them), and the completions are compared as a set (none when the right side
# is empty). Lines starting with '#' and blank lines are skipped, and so are
# the cases of other programs. File names complete in a directory that holds
# areas/, base.des, base.dir and list.txt. Fails when a case differs, when
# the script defines no completion for PROGRAM or when no case is PROGRAM's.
set -u
completion_dir=$1 program=$2
shift 2

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/areas" && touch "$work"/{base.des,base.dir,list.txt} || exit 1

# shellcheck source=/dev/null
source "$completion_dir/$program" || exit 1
if ! [[ $(complete -p "$program" 2>/dev/null) =~ -F\ ([^ ]+) ]]; then
  echo "$completion_dir/$program: defines no completion function for $program"
  exit 1
fi
function=${BASH_REMATCH[1]}

# The words given, sorted and on one line.
set_of() {
  (($#)) && printf '%s\n' "$@" | LC_ALL=C sort | paste -sd ' '
}

# The completions of these words, the last one completed; in a subshell, so
# that no case sees what another left.
complete_words() (
  cd "$work" || exit 1
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  "$function" "$program" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  set_of "${COMPREPLY[@]}"
)

cases=0 failed=0
for file in "$@"; do
  number=0
  while IFS= read -r line || [[ -n $line ]]; do
    ((++number))
    [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
    if [[ $line != *'|'* ]]; then
      echo "$file:$number: no '|' between the words typed and the completions"
      failed=$((failed + 1))
      continue
    fi
    eval "words=(${line%%|*})"
    read -ra expected <<<"${line#*|}"
    [[ ${words[0]-} == "$program" ]] || continue
    cases=$((cases + 1))
    if ((${#words[@]} < 2)); then
      echo "$file:$number: type at least one word after $program"
      failed=$((failed + 1))
      continue
    fi
    got=$(complete_words "${words[@]}")
    want=$(set_of "${expected[@]}")
    if [[ $got != "$want" ]]; then
      echo "$file:$number: ${line%%|*}| offered '$got', expected '$want'"
      failed=$((failed + 1))
    fi
  done <"$file"
done
if ((cases == 0)); then
  echo "no case completes $program in: $*"
  exit 1
fi
echo "$program: $cases cases, $failed failed"
((failed == 0))
