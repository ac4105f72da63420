#!/usr/bin/env bash
# installed.sh PACKAGE_DIR CLASSPATH: installs the packages for
# real, runs the demo on both JVMs with no library path (each JVM must find
# its library on its default path), then removes them again, whatever failed.
# Only as root with MAKEBIN_INSTALL_TEST=1, since it changes the system.
set -u
dir=$1 classpath=$2
here=$(dirname "$0")
if [ "${MAKEBIN_INSTALL_TEST:-}" != 1 ] || [ "$(id -u)" -ne 0 ] || ! command -v dpkg > /dev/null; then
  echo "skipped: installs for real only as root with dpkg and MAKEBIN_INSTALL_TEST=1"
  exit 77
fi
packages=(libmakebin-jni:i386 libmakebin-jni:amd64 libmakebin-dev makebin-tools libmakebin-java)
installed() {
  dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' "${packages[@]}" 2> /dev/null |
    grep '^installed'
}
remove() { dpkg -r "${packages[@]}" > /dev/null; }

if installed; then
  echo "already installed: remove them first, this test does not replace a system's packages"
  exit 1
fi
trap remove EXIT
trap 'exit 1' HUP INT TERM # a stopped run removes them too

fail=0
dpkg -i "$dir"/*.deb || fail=1
for arch in x86_64 i386; do
  [ $fail -eq 0 ] || break
  if [ "$arch" = i386 ] && [ -z "${JDK32:-}" ]; then
    echo "== i386 JVM: not run (${MAKEBIN_JVM32_MISSING:-no 32-bit Java runtime}) =="
    continue
  fi
  echo "== $arch JVM, library from the default path =="
  "$here/run-demo.sh" "$arch" - "/usr/share/java/makebin-diagnostics.jar:$classpath" /usr/bin/board-sim || fail=1
done

trap - EXIT
remove || fail=1
if installed || [ -e /usr/lib/x86_64-linux-gnu/jni/libmakebin.so ] ||
   [ -e /usr/lib/i386-linux-gnu/jni/libmakebin.so ]; then
  echo "packages left behind after dpkg -r"
  fail=1
fi
[ $fail -eq 0 ] && echo "installed, ran on the JVMs there are, removed"
exit $fail
