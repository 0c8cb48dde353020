#!/usr/bin/env bash
# Builds decoder_bench for i386 (32-bit x86) with the host compiler, against
# Debian's i386 libzstd, into FOLDER, and prints its path. Fails (saying why)
# where this machine cannot run i386 programs or lacks the 32-bit libzstd;
# installs the compiler's 32-bit support (g++-multilib) when it is missing.
# Usage: tools/bench/decoder_bench32.sh FOLDER
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$1/decoder_bench32"
libzstd=/usr/lib/i386-linux-gnu/libzstd.so.1
if [ ! -e "$libzstd" ]; then echo "no i386 libzstd ($libzstd): no 32-bit decoder figures" >&2; exit 1; fi
if ! dpkg -s g++-multilib >/dev/null 2>&1; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends g++-multilib >/dev/null ||
    { echo "g++-multilib could not be installed: no 32-bit decoder figures" >&2; exit 1; }
fi
g++ -m32 -std=c++17 -O2 -DNDEBUG -I"$root/common" -I"$root/pack/package" -I"$root/pack/pe" \
  -I"$root/pack/description" -I"$root/pack/host" "$root/tools/bench/decoder_bench.cpp" \
  "$root/pack/package/payload_compressor.cpp" "$root/common/zstd_decoder.cpp" "$root/common/zstd_entropy.cpp" \
  "$root/common/xxhash64.cpp" "$root/common/compressed_payload.cpp" "$libzstd" -o "$out"
# A machine whose kernel refuses i386 programs cannot time it (without
# arguments the program only says how to use it, exit code 2).
rc=0
"$out" >/dev/null 2>&1 || rc=$?
if [ "$rc" -ne 2 ]; then echo "this machine cannot run i386 programs: no 32-bit decoder figures" >&2; exit 1; fi
echo "$out"
