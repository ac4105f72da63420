#!/bin/sh
# consumer-cmake.sh ROOT PROJECT ARCH WORKDIR: builds a C++ program with
# find_package(makebin) from the unpacked packages for ARCH. The x86-64
# program runs; the i386 one must have linked the 32-bit library of ROOT.
# CMake's own build run path is off: the package's must find the library.
set -eu
root=$1 project=$2 arch=$3 work=$4
case $arch in
  i386) flag=-m32 class=ELF32 ;;
  *) flag=-m64 class=ELF64 ;;
esac
rm -rf "$work"
cmake -S "$project" -B "$work" -DCMAKE_PREFIX_PATH="$root/usr" -DCMAKE_CXX_FLAGS="$flag" \
  -DCMAKE_SKIP_BUILD_RPATH=ON -DCMAKE_BUILD_TYPE=Release > "$work.log" 2>&1 || { cat "$work.log"; exit 1; }
cmake --build "$work"
program=$work/consumer
readelf -h "$program" | grep -q "Class:.*$class" || { echo "consumer is not $class"; exit 1; }
libdir=$root/usr/lib/$arch-linux-gnu/jni
if ! readelf -d "$program" | grep -E 'R(UN)?PATH' | grep -qF "$libdir"; then
  echo "consumer was not linked against $libdir:"; readelf -d "$program"; exit 1
fi
[ "$arch" = i386 ] || "$program"
