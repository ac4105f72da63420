#!/bin/sh
# run-demo.sh x86_64|i386 LIBRARY_DIR|- CLASSPATH BOARD_SIM: runs the demo (bin
# files made and read back, a board-sim round trip) on the JVM of that
# architecture under -Xcheck:jni, loading the library from LIBRARY_DIR, or
# with "-" from the JVM's default path alone.
set -u
arch=$1 libdir=$2 classpath=$3 sim=$4
java="$(dirname "$0")/../../cmake/run-java.sh"
set -- -Xcheck:jni -Dmakebin.boardSim="$sim" -cp "$classpath"
[ "$libdir" = - ] || set -- "$@" -Djava.library.path="$libdir"
# The JVM puts LD_LIBRARY_PATH ahead of its own path: only ours may count.
unset LD_LIBRARY_PATH
log=$(mktemp)
trap 'rm -f "$log"' EXIT
LC_ALL=C.UTF-8 "$java" "$arch" "$@" com.kestrel.vimora.demo.Demo > "$log" 2>&1
rc=$?
cat "$log"
if grep -q -e 'WARNING in native method' -e 'FATAL ERROR in native method' "$log"; then
  echo "run-demo: the JVM reported a JNI problem" >&2
  rc=1
fi
exit $rc
