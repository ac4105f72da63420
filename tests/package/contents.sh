#!/usr/bin/env bash
# contents.sh PACKAGE_DIR VERSION TOOL_FILE...: there are exactly the five
# packages, each holds exactly its files with Debian's owners and modes, and
# its control file names the right architecture, section and dependencies.
set -u
dir=$1 version=$2
shift 2
tool_files=("$@") # of makebin-tools, relative to /usr
fail=0

files() { # deb: "mode owner path" of everything but directories
  dpkg-deb -c "$1" | awk '$1 !~ /^d/ { print $1, $2, $6 }'
}

expected() { # package arch
  local f="-rw-r--r-- root/root ./usr"
  case $1 in
    libmakebin-jni) echo "$f/lib/$([ "$2" = i386 ] && echo i386 || echo x86_64)-linux-gnu/jni/libmakebin.so" ;;
    libmakebin-dev)
      for h in Communication_c.h ks_db.h ks_type.h ks_unf_panel.h makebin_version.h option_translate.h; do
        echo "$f/include/makebin/$h"
      done
      echo "$f/lib/cmake/makebin/makebin-config.cmake"
      echo "$f/lib/cmake/makebin/makebin-config-version.cmake"
      echo "$f/lib/x86_64-linux-gnu/pkgconfig/makebin.pc" ;;
    libmakebin-java)
      echo "$f/share/java/makebin-diagnostics-$version.jar"
      echo "lrwxrwxrwx root/root ./usr/share/java/makebin-diagnostics.jar" ;;
    makebin-tools)
      for t in "${tool_files[@]}"; do
        case $t in
          bin/*) echo "-rwxr-xr-x root/root ./usr/$t" ;;
          *) echo "$f/$t" ;;
        esac
      done ;;
  esac
  echo "$f/share/doc/$1/changelog.gz"
  echo "$f/share/doc/$1/copyright"
}

field_is() { # deb field extended-regex ("" for an absent field)
  local value
  value=$(dpkg-deb -f "$1" "$2")
  if ! [[ $value =~ $3 ]]; then
    echo "$(basename "$1"): $2 is '$value', expected /$3/"; fail=1
  fi
}

count=$(ls "$dir"/*.deb 2> /dev/null | wc -l)
[ "$count" -eq 5 ] || { echo "expected 5 packages in $dir, found $count"; fail=1; }

v=${version//./\\.}
# package | arch | Multi-Arch (dpkg-deb says no when absent) | Section | Depends
while IFS='|' read -r pkg arch multiarch section depends; do
  deb=$dir/${pkg}_${version}_$arch.deb
  if [ ! -f "$deb" ]; then echo "missing: $deb"; fail=1; continue; fi
  if ! diff <(expected "$pkg" "$arch" | sort) <(files "$deb" | sort); then
    echo "$(basename "$deb"): contents differ (< expected, > packaged)"; fail=1
  fi
  field_is "$deb" Package "^$pkg\$"
  field_is "$deb" Version "^$v\$"
  field_is "$deb" Architecture "^$arch\$"
  field_is "$deb" Multi-Arch "$multiarch"
  field_is "$deb" Section "^$section\$"
  field_is "$deb" Priority '^optional$'
  field_is "$deb" Depends "$depends"
done << TABLE
libmakebin-jni|i386|^same\$|libs|^libc6 \\(>= [0-9.]+\\)\$
libmakebin-jni|amd64|^same\$|libs|^libc6 \\(>= [0-9.]+\\)\$
libmakebin-dev|amd64|^no\$|libdevel|^libmakebin-jni \\(= $v\\)\$
makebin-tools|amd64|^no\$|utils|(^|, )libc6 \\(>= [0-9.]+\\)(,|\$)
libmakebin-java|all|^no\$|java|^libmakebin-jni \\(= $v\\)\$
TABLE
[ $fail -eq 0 ] && echo "5 packages: contents and control fields as expected"
exit $fail
