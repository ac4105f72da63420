#!/usr/bin/env bash
# Checks cmake/find-jdks.sh against a fake dpkg-query and fake Java homes:
# which feature version it takes, that it names the homes the packages
# installed (not another JDK in the same folder), that a missing 32-bit
# runtime is named, and that it fails without the 64-bit JDK.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
jvm=$work/jvm
mkdir -p "$work/bin"

home() {  # name version program: a fake Java home holding bin/PROGRAM
  mkdir -p "$jvm/$1/bin"
  printf '#!/bin/sh\n' > "$jvm/$1/bin/$3"
  chmod +x "$jvm/$1/bin/$3"
  echo "JAVA_VERSION=\"$2\"" > "$jvm/$1/release"
}
home java-17-openjdk-amd64 17.0.9 javac
home java-17-openjdk-i386 17.0.9 java
home java-21-openjdk-amd64 21.0.5 javac
home java-21-openjdk-i386 21.0.5 java
home temurin-25-jdk-amd64 25.0.1 javac   # not a Debian package's: never chosen
ln -s java-17-openjdk-amd64 "$jvm/default-17"

# The fake dpkg-query knows the packages listed in $INSTALLED ("name=home ...").
cat > "$work/bin/dpkg-query" << 'FAKE'
#!/bin/sh
case $1 in
  -W) for p in $INSTALLED; do echo "ii  ${p%%=*}"; done ;;
  -L) for p in $INSTALLED; do
        [ "${p%%=*}" = "$2" ] || continue
        prog=java; case $2 in *-jdk-headless*) prog=javac ;; esac
        echo "$JVM/${p#*=}"; echo "$JVM/${p#*=}/bin/$prog"; exit 0
      done; exit 1 ;;
esac
FAKE
chmod +x "$work/bin/dpkg-query"

both="openjdk-17-jdk-headless:amd64=java-17-openjdk-amd64 openjdk-17-jre-headless:i386=java-17-openjdk-i386
      openjdk-21-jdk-headless:amd64=java-21-openjdk-amd64 openjdk-21-jre-headless:i386=java-21-openjdk-i386"
only64="openjdk-21-jdk-headless:amd64=java-21-openjdk-amd64"
fail=0
# case | installed | default-java (empty: none, whatever this machine has) | feature asked | expected output (or "fails")
while IFS='|' read -r name installed default feature expected; do
  got=$(PATH="$work/bin:$PATH" JVM=$jvm INSTALLED=${!installed} \
        MAKEBIN_DEFAULT_JAVA="$jvm/${default:-none}" "$here/find-jdks.sh" $feature 2> /dev/null | tr '\n' ' ') ||
    got=fails
  expected=${expected//@/$jvm/}
  if [ "$got" != "$expected" ]; then
    echo "$name: got '$got', expected '$expected'"
    fail=1
  fi
done << 'CASES'
newest installed|both|||JDK64=@java-21-openjdk-amd64 JDK32=@java-21-openjdk-i386 
release default first|both|default-17||JDK64=@java-17-openjdk-amd64 JDK32=@java-17-openjdk-i386 
feature asked|both|default-17|21|JDK64=@java-21-openjdk-amd64 JDK32=@java-21-openjdk-i386 
no i386 runtime|only64|||JDK64=@java-21-openjdk-amd64 JDK32= JDK32_MISSING=openjdk-21-jre-headless:i386 is not installed 
feature not installed|both||25|fails
CASES
[ $fail -eq 0 ] && echo "find-jdks: 5 cases as expected"
exit $fail
