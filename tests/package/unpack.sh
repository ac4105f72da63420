#!/bin/sh
# unpack.sh PACKAGE_DIR ROOT MAKE_DEBS...: builds the packages, then unpacks
# every one into a fresh ROOT, laid out as dpkg would lay them out under /.
set -eu
dir=$1 root=$2
shift 2
"$@"
rm -rf "$root"
mkdir -p "$root"
for deb in "$dir"/*.deb; do
  dpkg-deb -x "$deb" "$root"
done
