#!/bin/sh
# Compiles the C program beside this script as strict C11 against the
# library's headers, links it with the library and runs it.
# Arguments: compiler, -m32/-m64, library directory, output file, include directories...
# RUN_WITH, when set, is the emulator that runs the program (qemu-i386).
set -eu
cc=$1 flag=$2 libdir=$3 out=$4; shift 4
includes=""
for dir in "$@"; do includes="$includes -I$dir"; done
# shellcheck disable=SC2086
"$cc" -std=c11 -pedantic-errors -Wall -Wextra -Werror "$flag" $includes \
  "$(dirname "$0")/c_client.c" -L"$libdir" -lmakebin -Wl,-rpath,"$libdir" -o "$out"
${RUN_WITH:+"$RUN_WITH"} "$out"
