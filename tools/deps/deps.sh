#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian machine, then builds the
# encoder every pack links (libzstd.sh). Quick when all is present.
# 32-bit Wine is wanted but not required: where the i386 packages cannot be
# installed (or the kernel cannot start them) the 64-bit build runs under wine64.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
packages=(
  cmake make g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 fonts-wine xvfb xauth
  liblnk-utils python3-pefile python3-pil python3-numpy icoutils imagemagick
  osslsigncode openssl python3-cryptography valgrind
  libzstd-dev dpkg-dev
)
optional=(wine32:i386)
missing=() missing_optional=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
for p in "${optional[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing_optional+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ] && exec "$here/libzstd.sh"
[ ${#missing[@]} -eq 0 ] && [ -f /var/lib/apt/.project-no-i386 ] && exec "$here/libzstd.sh"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
. "$here/apt_update.sh"
install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@"; }
if [ ${#missing_optional[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386 || true
fi
indexes_complete=1
apt_update || indexes_complete=0
[ ${#missing[@]} -eq 0 ] || install "${missing[@]}"
if [ ${#missing_optional[@]} -gt 0 ] && ! install "${missing_optional[@]}"; then
  echo "deps: 32-bit Wine is not available here; the 64-bit build will run under wine64" >&2
  # Not tried again on this machine, unless the indexes were incomplete (a
  # mirror mid-sync), which the next run may find mended.
  [ "$indexes_complete" -eq 0 ] || $sudo touch /var/lib/apt/.project-no-i386 || true
fi
exec "$here/libzstd.sh"
