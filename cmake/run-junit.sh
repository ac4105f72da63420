#!/bin/sh
# Runs one JUnit class on the JVM of one architecture under -Xcheck:jni. A JNI
# misuse that the JVM only warns about fails the run as surely as a failed
# assertion; a JVM that crashes has its crash log printed with the output.
set -u
arch=$1 libdir=$2 classpath=$3 cls=$4
here=$(dirname "$0")
# A UTF-8 locale makes the default charset and file-name encoding UTF-8 on
# every machine, so tests can predict the bytes a file name becomes.
export LC_ALL=C.UTF-8
logs=${MAKEBIN_LOG_DIR:-${TMPDIR:-/tmp}}
mkdir -p "$logs"
log=$(mktemp)
since=$(mktemp "$logs/.junit-start.XXXXXX")
trap 'rm -f "$log" "$since"' EXIT
"$here/run-java.sh" "$arch" -Xcheck:jni -Djava.library.path="$libdir" \
  -Dmakebin.boardSim="${BOARD_SIM:-}" -Dmakebin.panelbin="${PANELBIN:-}" \
  -jar "${JUNIT_JAR:-/usr/share/java/junit-platform-console-standalone.jar}" \
  --class-path "$classpath" --select-class "$cls" --disable-banner --details=tree \
  --fail-if-no-tests > "$log" 2>&1
rc=$?
cat "$log"
if grep -q -e 'WARNING in native method' -e 'FATAL ERROR in native method' "$log"; then
  echo "run-junit: the JVM reported a JNI problem" >&2
  rc=1
fi
if [ $rc -ne 0 ]; then
  for crash in $(find "$logs" -maxdepth 1 -name 'hs_err_pid*.log' -newer "$since"); do
    echo "run-junit: crash log $crash" >&2
    cat "$crash" >&2
  done
fi
exit $rc
