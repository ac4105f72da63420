#!/bin/sh
# Checks that every quoted include in the source tree names its file from the
# project root and goes only where cmake/layers.txt lets its folder go, that
# every folder holding sources is in the table and that the table has no
# circle. POSIX sh, find, grep and awk only: minimal build roots run it too.
# Usage: check-layers.sh ROOT TABLE. Prints each fault; exit status 1 on any.
set -eu
root=$1 table=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# Build trees (build*), the Java sources and the fuzz seeds hold no source
# of ours.
(cd "$root" && find . -type d \( -path ./.git -o -path './build*' -o -path ./java \
      -o -path ./tests/fuzz/corpus \) \
      -prune -o -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' -o -name '*.h.in' \) -print) |
  sed 's|^\./||' | LC_ALL=C sort > "$work/files"
: > "$work/includes"
while IFS= read -r f; do
  grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$root/$f" |
    sed "s|^|$f:|" >> "$work/includes" || true
done < "$work/files"

exec awk -v table="$table" -f "$(dirname "$0")/check-layers.awk" \
  "$table" "$work/files" "$work/includes"
