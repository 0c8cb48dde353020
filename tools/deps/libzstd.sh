#!/usr/bin/env bash
# The encoder every pack links: Debian's source package of libzstd, at the
# version in libzstd.version, built as a static library for the Linux pack
# (host), the 32-bit pack.exe (i686-w64-mingw32) and the 64-bit one
# (x86_64-w64-mingw32). The same sources and settings everywhere, so that every
# pack writes the same compressed bytes for the same description.
#
# Output: .cache/libzstd/VERSION/{include,host,host-novector,i686-w64-mingw32,x86_64-w64-mingw32}
# (git-ignored; the CMake builds look there). Quick when already built; needs
# the network once, to fetch the sources through apt (a deb-src entry for the
# main archive is added when the machine has none).
# Usage: tools/deps/libzstd.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
version=$(cat "$here/libzstd.version")
upstream=${version%-*}      # 1.5.4+dfsg2: the folder apt-get source unpacks
out=$root/.cache/libzstd/$version
# host-novector: the host's, compiled as if without SSE2, the paths the 32-bit
# pack.exe's encoder takes; the compression check compares it with the host's.
targets=(host host-novector i686-w64-mingw32 x86_64-w64-mingw32)

fail() {
  echo "deps: libzstd $version: $*" >&2
  echo "deps: the packs need it to compress (tools/deps/libzstd.sh); fix the cause and run make deps again" >&2
  exit 1
}

built() {
  [ -f "$out/include/zstd.h" ] || return 1
  local t
  for t in "${targets[@]}"; do [ -f "$out/$t/libzstd.a" ] || return 1; done
}
built && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
. "$here/apt_update.sh"

# The installed libzstd-dev (the reference decoder of the tests) should be the
# same release; a security update of it changes only its decoder.
installed=$(dpkg-query -W -f '${Version}' libzstd-dev 2>/dev/null || true)
case "$installed" in
  "$version"|"$version"+*) ;;
  *) echo "deps: note: libzstd-dev here is ${installed:-not installed}, the encoder is built from $version" >&2 ;;
esac

# The sources come from the main archive through apt. Where apt knows no
# source entry for it, one is added (deb822, as Debian 12 writes its own).
entry=/etc/apt/sources.list.d/project-sources.sources
add_source_entry() {
  local suite
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$suite" ] || fail "cannot tell the distribution's release from /etc/os-release"
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$suite" | $sudo tee "$entry" >/dev/null || fail "cannot write $entry"
}
fetch_source() {
  (cd "$fetch" && apt-get source -q "libzstd=$version" >apt-source.log 2>&1)
}

fetch=$out/fetch
source=$fetch/libzstd-$upstream
if [ ! -f "$source/lib/zstd.h" ]; then
  rm -rf "$fetch"
  mkdir -p "$fetch"
  if ! fetch_source; then
    [ -f "$entry" ] || add_source_entry
    apt_update >/dev/null || true
    fetch_source || { tail -n 5 "$fetch/apt-source.log" >&2
      fail "apt-get source libzstd=$version failed (network, or the archive no longer serves that version; see $fetch/apt-source.log)"; }
  fi
  [ -f "$source/lib/zstd.h" ] || fail "apt-get source did not unpack $source"
fi

# Only the compressor: pack decodes with its own decoder.
settings=(ZSTD_LIB_DECOMPRESSION=0 ZSTD_LIB_DICTBUILDER=0 ZSTD_LIB_DEPRECATED=0 ZSTD_LEGACY_SUPPORT=0)
for t in "${targets[@]}"; do
  [ -f "$out/$t/libzstd.a" ] && continue
  work=$out/work-$t
  rm -rf "$work"
  cp -r "$source/lib" "$work"
  case $t in
    host) tools=(CC=gcc AR=ar) ;;
    host-novector) tools=(CC=gcc AR=ar MOREFLAGS=-U__SSE2__) ;;
    *) tools=(CC="$t-gcc-posix" AR="$t-ar") ;;
  esac
  echo "deps: building libzstd $version for $t"
  make -s -C "$work" -j "${JOBS:-2}" libzstd.a "${tools[@]}" "${settings[@]}" >"$out/build-$t.log" 2>&1 ||
    { tail -n 20 "$out/build-$t.log" >&2; fail "the build for $t failed ($out/build-$t.log)"; }
  mkdir -p "$out/$t"
  mv "$work/libzstd.a" "$out/$t/libzstd.a.part" && mv "$out/$t/libzstd.a.part" "$out/$t/libzstd.a"
  rm -rf "$work"
done
mkdir -p "$out/include"
cp "$source/lib/zstd.h" "$source/lib/zstd_errors.h" "$out/include/"
built || fail "incomplete output in $out"
