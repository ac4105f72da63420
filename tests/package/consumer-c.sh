#!/bin/sh
# consumer-c.sh ROOT SOURCE WORKDIR: builds a C11 program against the
# unpacked packages through pkg-config and runs it on the unpacked library.
set -eu
root=$1 src=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
export PKG_CONFIG_LIBDIR="$root/usr/lib/x86_64-linux-gnu/pkgconfig" PKG_CONFIG_SYSROOT_DIR="$root"
flags=$(pkg-config --cflags --libs makebin)
echo "pkg-config: $flags"
cc -std=c11 -pedantic-errors -Wall -Wextra -Werror -o "$work/consumer" "$src" $flags
# Whatever the pkg-config tool made of the run path, ROOT's library must serve.
LD_LIBRARY_PATH="$root/usr/lib/x86_64-linux-gnu/jni" "$work/consumer"
