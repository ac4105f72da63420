#!/bin/sh
# Starts the JVM of one architecture: run-java.sh x86_64|i386 [java arguments].
# JUnit, the demo, the bench and the package tests all start their JVMs here,
# so the way i386 programs run on this machine is decided in one place.
#
# Environment:
#   MAKEBIN_I386_EMULATOR  empty: the kernel runs i386 programs itself;
#                          otherwise the emulator (qemu-i386) that runs them
#   MAKEBIN_LOG_DIR        where a crashing JVM leaves hs_err_pid<pid>.log
#   JDK64, JDK32           the two Java installations (default: cmake/find-jdks.sh)
set -eu
arch=$1; shift
jdk64=${JDK64:-}
jdk32=${JDK32:-}
# ./run, CMake and the tests pass both; by hand they default to what
# Debian's packages installed.
if [ -z "$jdk64" ] || { [ "$arch" = i386 ] && [ -z "$jdk32" ]; }; then
  found=$("$(dirname "$0")/find-jdks.sh")
  [ -n "$jdk64" ] || jdk64=$(echo "$found" | sed -n 's/^JDK64=//p')
  [ -n "$jdk32" ] || jdk32=$(echo "$found" | sed -n 's/^JDK32=//p')
fi
logs=${MAKEBIN_LOG_DIR:-${TMPDIR:-/tmp}}
mkdir -p "$logs"
crash_log=-XX:ErrorFile=$logs/hs_err_pid%p.log

case $arch in
  x86_64) exec "$jdk64/bin/java" "$crash_log" "$@" ;;
  i386) ;;
  *) echo "run-java.sh: unknown architecture '$arch'" >&2; exit 2 ;;
esac

if [ -z "$jdk32" ]; then
  echo "run-java.sh: no 32-bit Java runtime (JDK32 is empty)" >&2
  exit 2
fi
emulator=${MAKEBIN_I386_EMULATOR:-}
if [ -z "$emulator" ]; then
  exec "$jdk32/bin/java" "$crash_log" -Dmakebin.i386=native "$@"
fi

# Under qemu-i386 the JVM needs three concessions, each measured:
# - its JIT crashes at safepoint polls, so it runs interpreted (-Xint);
# - the i386 spawn helper cannot be executed, so children are forked
#   directly (launchMechanism=FORK);
# - the emulated 32-bit readdir cannot hold ext4's 64-bit directory
#   offsets, so temporary files live on a tmpfs, where they fit.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
tmp=$(mktemp -d "$shm/makebin-java.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
rc=0
"$emulator" "$jdk32/bin/java" -Xint -Djdk.lang.Process.launchMechanism=FORK \
  -Djava.io.tmpdir="$tmp" "$crash_log" -Dmakebin.i386=emulated "$@" || rc=$?
exit $rc
