#!/usr/bin/env bash
# ./run's set-up against a mirror caught mid-sync, with stand-ins for apt,
# dpkg and cmake early on PATH (no network, nothing installed): `apt-get
# update` fails as such a mirror makes it fail, and the 32-bit Java runtime
# cannot be installed even from the release's own suite. Set-up must try the
# update three times, go on with the lists apt has, try the release's suite,
# then reach the build without the 32-bit JVM, saying why at each step; and
# it must stop, naming the failed update, when apt knows a needed package not.
set -euo pipefail
project=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir -p "$bin" "$work/jdk/bin"
printf '#!/bin/sh\n' > "$work/jdk/bin/javac"; chmod +x "$work/jdk/bin/javac"

stand_in() {  # name, body: a stand-in program that logs its arguments
  printf '#!/bin/sh\necho "%s $*" >> "$WORK/calls"\n%s\n' "$1" "$2" > "$bin/$1"
  chmod +x "$bin/$1"
}
stand_in apt-get 'case " $* " in
  *" update "*) echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."; exit 100 ;;
  *":i386 "*) echo "The following packages have unmet dependencies:"
    echo " openjdk-17-jdk-headless : Breaks: openjdk-17-jre-headless:i386 (!= 17.0.21)"
    echo "E: Unable to correct problems, you have held broken packages."; exit 100 ;;
esac'
stand_in apt-cache 'for p; do :; done
case " $UNKNOWN " in *" $p "*) exit 100 ;; esac
echo "Package: $p"; echo "Depends: openjdk-17-jdk-headless"'
stand_in dpkg '[ "$1" = --print-foreign-architectures ] && echo i386; exit 0'
stand_in dpkg-query 'case $1 in -L) case $2 in *jdk-headless:amd64) echo "$WORK/jdk/bin/javac"; exit 0 ;; esac ;; esac; exit 1'
stand_in cmake 'exit 0'
stand_in sudo 'exec "$@"'

fail=0
# case | packages apt knows not | exit status | lines the output must hold (;-separated)
while IFS='|' read -r name unknown status expected; do
  rm -rf "$work/build" "$work/calls"
  mkdir -p "$work/build"
  printf 'auto\n\n' > "$work/build/i386-mode"  # i386 runs natively: no probe
  rc=0
  out=$(cd "$project" && PATH="$bin:$PATH" WORK=$work UNKNOWN=$unknown BUILD_DIR=$work/build \
        JDK64=$work/jdk JDK32= MAKEBIN_APT_RETRY_SECONDS=0 ./run build 2>&1) || rc=$?
  IFS=';' read -ra lines <<< "$expected"
  for line in "${lines[@]}"; do
    case $line in
      calls:*) grep -qF -- "${line#calls:}" "$work/calls" || { echo "$name: no call '${line#calls:}'"; fail=1; } ;;
      *) grep -qF -- "$line" <<< "$out" || { echo "$name: no line with '$line'"; fail=1; } ;;
    esac
  done
  [ "$rc" = "$status" ] || { echo "$name: exit status $rc, expected $status"; fail=1; }
  [ $fail -eq 0 ] && [ -z "${SHOW:-}" ] || { echo "---- output of $name ----"; echo "$out"; }
done << 'CASES'
runtime refused|none|0|apt-get update failed 3 times: could not fetch bookworm-security/main/binary-i386/Packages.xz (File has unexpected size (374820 != 376004). Mirror sync in progress?); going on with the package lists apt has;trying again from the release's own suite (-t ;Going on without the 32-bit Java runtime: openjdk-17-jre-headless:i386 could not be installed (openjdk-17-jdk-headless : Breaks: openjdk-17-jre-headless:i386 (!= 17.0.21));i386 none: openjdk-17-jre-headless:i386 could not be installed;calls:apt-get install -y -q --no-install-recommends -t ;calls:cmake --preset default;calls:-DJDK32= -DMAKEBIN_JVM32_MISSING=openjdk-17-jre-headless:i386 could not be installed;calls:cmake --build
package unknown|libcli11-dev|1|apt-get update failed: could not fetch bookworm-security/main/binary-i386/Packages.xz;apt's lists hold no libcli11-dev: set-up cannot go on
CASES
[ "$(grep -c '^apt-get update' "$work/calls" 2> /dev/null)" = 3 ] || { echo "apt-get update was not tried 3 times"; fail=1; }
[ $fail -eq 0 ] && echo "set-up with a stale mirror: 2 cases as expected"
exit $fail
