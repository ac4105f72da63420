#!/usr/bin/env bash
# Builds the Debian packages from a built tree, one per install component:
#   libmakebin-jni_<version>_i386.deb, libmakebin-jni_<version>_amd64.deb,
#   libmakebin-dev_<version>_amd64.deb, makebin-tools_<version>_amd64.deb,
#   libmakebin-java_<version>_all.deb
# Usage: make-debs.sh SOURCE_DIR BUILD_DIR OUT_DIR VERSION
set -euo pipefail
src=$1 build=$2 out=$3 version=$4
meta=$src/packaging
stage=$build/package-stage
umask 022

# The changelog's newest entry names the version being packaged, so a new
# project version cannot ship without its entry.
top=$(sed -n '1s/^makebin (\([^)]*\)).*/\1/p' "$meta/changelog")
if [ "$top" != "$version" ]; then
  echo "make-debs: packaging/changelog starts at $top but the project is $version: add an entry" >&2
  exit 1
fi

rm -rf "$stage" "$out"
mkdir -p "$stage" "$out"

elf_files() { # root: every ELF file under it
  local f
  find "$1" -type f | while read -r f; do
    if [ "$(head -c 4 "$f" | od -An -tx1 | tr -d ' ')" = 7f454c46 ]; then echo "$f"; fi
  done
}

# Debug information goes; a library keeps its dynamic symbols (its exports).
strip_elf() { # root
  local f
  elf_files "$1" | while read -r f; do
    case $f in
      */bin/*) strip --remove-section=.comment --remove-section=.note "$f" ;;
      *) strip --remove-section=.comment --remove-section=.note --strip-unneeded "$f" ;;
    esac
  done
}

# Runs where dpkg-shlibdeps expects: in a source package whose
# debian/PACKAGE holds the files and their DEBIAN folder.
shlib_depends() { # root: the Depends line its ELF files need
  cd "$1/../.."
  dpkg-shlibdeps -O $(elf_files "debian/${1##*/}") | sed -n 's/^shlibs:Depends=//p'
  cd - > /dev/null
}

# Debian compresses documentation; a native package's changelog (its version
# has no Debian revision) is named changelog.gz.
add_docs() { # root package
  local doc=$1/usr/share/doc/$2 page
  if [ -d "$1/usr/share/man" ]; then
    for page in $(find "$1/usr/share/man" -type f ! -name '*.gz'); do gzip -9n "$page"; done
  fi
  install -d "$doc"
  install -m 644 "$meta/copyright" "$doc/copyright"
  gzip -9n < "$meta/changelog" > "$doc/changelog.gz"
  chmod 644 "$doc/changelog.gz"
}

write_control() { # root package arch depends
  local size
  size=$(du -sk --apparent-size "$1/usr" | cut -f1)
  sed -e "s#@VERSION@#$version#" -e "s#@ARCH@#$3#" -e "s#@DEPENDS@#$4#" -e "s#@SIZE@#$size#" \
      "$meta/$2.control" > "$1/DEBIAN/control"
  (cd "$1" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) > "$1/DEBIAN/md5sums"
  chmod 644 "$1/DEBIAN/control" "$1/DEBIAN/md5sums"
}

make_deb() { # package debian-arch depends|shlibs component
  local pkg=$1 arch=$2 depends=$3 component=$4
  local work=$stage/${pkg}_$arch
  local root=$work/debian/$pkg
  mkdir -p "$root/DEBIAN"
  printf 'Source: makebin\n\nPackage: %s\nArchitecture: any\n' "$pkg" > "$work/debian/control"
  DESTDIR=$root cmake --install "$build" --component "$component" --prefix /usr > /dev/null
  strip_elf "$root"
  add_docs "$root" "$pkg"
  [ "$depends" != shlibs ] || depends=$(shlib_depends "$root")
  write_control "$root" "$pkg" "$arch" "$depends"
  dpkg-deb --root-owner-group -Zxz --build "$root" "$out/${pkg}_${version}_$arch.deb" > /dev/null
  echo "$out/${pkg}_${version}_$arch.deb"
}

make_deb libmakebin-jni i386 shlibs jni-i386
make_deb libmakebin-jni amd64 shlibs jni-x86_64
make_deb libmakebin-dev amd64 "libmakebin-jni (= $version)" dev
make_deb makebin-tools amd64 shlibs tools
make_deb libmakebin-java all "libmakebin-jni (= $version)" java
