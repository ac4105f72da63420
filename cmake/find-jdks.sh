#!/bin/sh
# Finds the two Java installations the build and its tests use, from what
# Debian's packages installed: find-jdks.sh [FEATURE] prints
#   JDK64=<home of openjdk-FEATURE-jdk-headless:amd64>
#   JDK32=<home of openjdk-FEATURE-jre-headless:i386>
# and, when that runtime is not installed, JDK32 empty and
#   JDK32_MISSING=<why>
# Without FEATURE it takes the release's default (what /usr/lib/jvm/default-java
# names) or else the newest OpenJDK whose 64-bit JDK is installed. Only
# Debian's packages are asked, so a JDK unpacked by hand into /usr/lib/jvm is
# never chosen. Exits 1, saying what is missing, when the 64-bit JDK is not
# installed; everything but the 32-bit JVM serves without the other.
set -eu
feature=${1:-}
default_java=${MAKEBIN_DEFAULT_JAVA:-/usr/lib/jvm/default-java}  # another only in its test

installed_jdk_features() {  # the feature versions of installed 64-bit OpenJDK JDKs
  dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' 'openjdk-*-jdk-headless:amd64' 2>/dev/null |
    sed -n 's/^ii *openjdk-\([0-9][0-9]*\)-jdk-headless.*/\1/p' | sort -n
}

home_of() {  # package program: the Java home holding bin/PROGRAM, as the package installed it
  path=$(dpkg-query -L "$1" 2>/dev/null | grep "/bin/$2\$" | head -n 1) || true
  if [ -z "$path" ] || [ ! -x "$path" ]; then
    echo "find-jdks: $1 is not installed (no bin/$2)" >&2
    return 1
  fi
  path=$(readlink -f "$path")
  dirname "$(dirname "$path")"
}

if [ -z "$feature" ] && [ -r "$default_java/release" ]; then
  feature=$(sed -n 's/^JAVA_VERSION="\([0-9][0-9]*\).*/\1/p' "$default_java/release")
fi
[ -n "$feature" ] || feature=$(installed_jdk_features | tail -n 1)
if [ -z "$feature" ]; then
  echo "find-jdks: no OpenJDK JDK (openjdk-*-jdk-headless:amd64) is installed" >&2
  exit 1
fi
jdk64=$(home_of "openjdk-$feature-jdk-headless:amd64" javac)
echo "JDK64=$jdk64"
if jdk32=$(home_of "openjdk-$feature-jre-headless:i386" java 2>/dev/null); then
  echo "JDK32=$jdk32"
else
  echo "JDK32="
  echo "JDK32_MISSING=openjdk-$feature-jre-headless:i386 is not installed"
fi
