#!/bin/sh
# Fails when the library's dynamic symbol table differs from the lists, in
# either direction (a listed name missing, or a name exported that no list
# names), or when it needs any shared library beyond the C library and the
# dynamic loader. Lists: one symbol a line, as nm shows it; # starts a comment.
set -eu
lib=$1; shift
nm -D --defined-only "$lib" | awk '{print $3}' | sort -u > "$lib.exports"
grep -hv -e '^#' -e '^[[:space:]]*$' "$@" | tr -d ' \t' | sort -u > "$lib.listed"
status=0
for sym in $(comm -13 "$lib.exports" "$lib.listed"); do
  echo "missing export: $sym"; status=1
done
for sym in $(comm -23 "$lib.exports" "$lib.listed"); do
  echo "unlisted export: $sym ($(echo "$sym" | c++filt))"; status=1
done
needed=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
for dep in $needed; do
  case $dep in
    libc.so.6|ld-linux*.so.*) ;;
    *) echo "unexpected dependency: $dep"; status=1 ;;
  esac
done
[ $status -eq 0 ] && echo "exports and dependencies ok: $(wc -l < "$lib.exports") symbols, as listed; needs: $needed"
exit $status
