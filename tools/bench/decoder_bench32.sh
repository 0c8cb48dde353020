#!/usr/bin/env bash
# Builds decoder_bench for i386 (32-bit x86) with the host compiler into
# FOLDER, and prints its path; installs the compiler's 32-bit support
# (g++-multilib) when it is missing.
#
# By default it links Debian's i386 libzstd and fails (saying why) where this
# machine cannot run i386 programs or lacks that library. With --emulated it
# links libzstd built -m32 from the same Debian sources as the encoder
# (tools/deps/libzstd.sh fetched them), statically, for a run under qemu-i386
# on a machine whose kernel refuses i386 programs (tools/bench/decoder_count.sh).
# Usage: tools/bench/decoder_bench32.sh FOLDER [--emulated]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$1/decoder_bench32"
emulated=${2:-}
. "$root/tools/deps/apt_install.sh"
if ! dpkg -s g++-multilib >/dev/null 2>&1; then
  apt_install g++-multilib || { echo "g++-multilib could not be installed: no 32-bit decoder figures" >&2; exit 1; }
fi
if [ "$emulated" = --emulated ]; then
  version=$(cat "$root/tools/deps/libzstd.version")
  source=$(ls -d "$root/.cache/libzstd/$version"/fetch/libzstd-*/lib 2>/dev/null | head -1)
  [ -n "$source" ] || { echo "no libzstd sources in .cache (make deps fetches them): no 32-bit counts" >&2; exit 1; }
  lib="$1/libzstd32"
  if [ ! -f "$lib/libzstd.a" ]; then
    rm -rf "$lib" && cp -r "$source" "$lib"
    make -s -C "$lib" libzstd.a CC="gcc -m32" >"$1/libzstd32.log" 2>&1 ||
      { tail -n 5 "$1/libzstd32.log" >&2; echo "libzstd did not build -m32: no 32-bit counts" >&2; exit 1; }
  fi
  link=(-static -I"$lib" "$lib/libzstd.a")
else
  libzstd=/usr/lib/i386-linux-gnu/libzstd.so.1
  if [ ! -e "$libzstd" ]; then echo "no i386 libzstd ($libzstd): no 32-bit decoder figures" >&2; exit 1; fi
  link=("$libzstd")
fi
g++ -m32 -std=c++17 -O2 -DNDEBUG -I"$root/common" -I"$root/pack/package" -I"$root/pack/pe" \
  -I"$root/pack/description" -I"$root/pack/host" "$root/tools/bench/decoder_bench.cpp" \
  "$root/pack/package/payload_compressor.cpp" "$root/common/zstd_decoder.cpp" "$root/common/zstd_entropy.cpp" \
  "$root/common/xxhash64.cpp" "$root/common/compressed_payload.cpp" "${link[@]}" -o "$out"
if [ "$emulated" != --emulated ]; then
  # A machine whose kernel refuses i386 programs cannot time it (without
  # arguments the program only says how to use it, exit code 2).
  rc=0
  "$out" >/dev/null 2>&1 || rc=$?
  if [ "$rc" -ne 2 ]; then echo "this machine cannot run i386 programs: no 32-bit decoder figures" >&2; exit 1; fi
fi
echo "$out"
