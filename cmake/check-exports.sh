#!/bin/sh
# Fails when the library misses an exported symbol named in the lists, or
# needs any shared library beyond the C library and the dynamic loader.
set -eu
lib=$1; shift
nm -D --defined-only "$lib" | awk '{print $3}' | sort -u > "$lib.exports"
missing=0
for list in "$@"; do
  for sym in $(grep -v '^#' "$list"); do
    if ! grep -qx -- "$sym" "$lib.exports"; then
      echo "missing export: $sym ($list)"; missing=1
    fi
  done
done
needed=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
for dep in $needed; do
  case $dep in
    libc.so.6|ld-linux*.so.*) ;;
    *) echo "unexpected dependency: $dep"; missing=1 ;;
  esac
done
leaked=$(grep -c -E '^__cxa_|^__gxx_personality|^_ZSt9terminate' "$lib.exports" || true)
if [ "$leaked" -ne 0 ]; then
  echo "C++ runtime symbols exported: $leaked"; missing=1
fi
[ $missing -eq 0 ] && echo "exports and dependencies ok: $(wc -l < "$lib.exports") symbols, needs: $needed"
exit $missing
