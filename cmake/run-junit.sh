#!/bin/sh
# Runs one JUnit class on one JVM under -Xcheck:jni. A JNI misuse that the
# JVM only warns about fails the run as surely as a failed assertion.
set -u
java=$1 libdir=$2 classpath=$3 cls=$4
# A UTF-8 locale makes the default charset and file-name encoding UTF-8 on
# every machine, so tests can predict the bytes a file name becomes.
export LC_ALL=C.UTF-8
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$java" -Xcheck:jni -Djava.library.path="$libdir" -Dmakebin.boardSim="${BOARD_SIM:-}" \
  -jar "${JUNIT_JAR:-/usr/share/java/junit-platform-console-standalone.jar}" \
  --class-path "$classpath" --select-class "$cls" --disable-banner --details=tree \
  --fail-if-no-tests > "$log" 2>&1
rc=$?
cat "$log"
if grep -q -e 'WARNING in native method' -e 'FATAL ERROR in native method' "$log"; then
  echo "run-junit: the JVM reported a JNI problem" >&2
  rc=1
fi
exit $rc
