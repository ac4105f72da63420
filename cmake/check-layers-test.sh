#!/bin/sh
# Shows that check-layers.sh fails where it must: on a copy of the tree it
# passes, then on the same copy with one planted fault at a time, each of
# which must fail with its own message. Usage: check-layers-test.sh ROOT.
set -eu
root=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

copy() {  # a fresh copy of the sources and the table in $work/tree
  rm -rf "$work/tree" && mkdir -p "$work/tree"
  (cd "$root" && find . -type d \( -path ./.git -o -path './build*' -o -path ./java \
        -o -path ./tests/fuzz/corpus \) -prune -o -type f \
        \( -name '*.h' -o -name '*.cpp' -o -name '*.c' -o -name '*.h.in' \) -print) |
    while IFS= read -r f; do
      mkdir -p "$work/tree/$(dirname "$f")" && cp "$root/$f" "$work/tree/$f"
    done
  cp "$here/layers.txt" "$work/table"
}

# case name | what to plant (shell, run in the copy) | text the check must print
failures=0
run_case() {
  copy
  (cd "$work/tree" && eval "$2")
  if out=$(sh "$here/check-layers.sh" "$work/tree" "$work/table" 2>&1); then
    echo "FAIL $1: the check passed"; failures=$((failures + 1))
  elif ! printf '%s\n' "$out" | grep -qF "$3"; then
    echo "FAIL $1: expected \"$3\", got:"; printf '%s\n' "$out"; failures=$((failures + 1))
  else
    echo "ok   $1"
  fi
}

copy
sh "$here/check-layers.sh" "$work/tree" "$work/table" ||
  { echo "FAIL the unchanged copy does not pass"; exit 1; }
run_case "lower layer includes a higher one" \
  'printf "#include \"panel/java/body_mapping.h\"\n" >> base/Deadline.h' \
  'base/ may not include panel/java/'
run_case "include not named from the root" \
  'printf "#include \"Deadline.h\"\n" >> base/SysCalls.cpp' \
  '"Deadline.h" is not named from the project root'
run_case "folder missing from the table" \
  'mkdir -p panel/extra && printf "int x;\n" > panel/extra/x.cpp' \
  'its folder panel/extra/ is not in'
run_case "circle in the table" \
  'printf "base2: panel/model\n" >> ../table && sed -i "s|^panel/model: .*|panel/model: base2 base include|" ../table' \
  'folders on a circle or above one: panel/model'
[ "$failures" -eq 0 ]
