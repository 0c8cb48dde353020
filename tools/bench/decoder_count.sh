#!/usr/bin/env bash
# Where this machine cannot run i386 programs, the 32-bit decoders cannot be
# timed: this counts instead the instructions and memory accesses each decoder
# executes on the same streams, under qemu's user-mode emulator with
# insn_count_plugin.c, built 32-bit (decoder_bench32.sh --emulated) and, to
# show how counts relate to time, 64-bit (the host's decoder_bench, which the
# bench also times). Prints "decoderW_LABEL_{ours,libzstd}_{insn,mem} N" lines;
# installs qemu-user when it is missing.
# Usage: tools/bench/decoder_count.sh HOST_DECODER_BENCH WORK CACHE LABEL=SOURCE...
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
host_bench=$1 work=$2 cache=$3
shift 3
. "$root/tools/deps/apt_install.sh"
if ! command -v qemu-i386 >/dev/null || ! command -v qemu-x86_64 >/dev/null; then
  apt_install qemu-user || { echo "qemu-user could not be installed: no 32-bit decoder counts" >&2; exit 1; }
fi
plugin="$work/insn_count.so"
gcc -shared -fPIC -O2 "$root/tools/bench/insn_count_plugin.c" -o "$plugin"
bench32=$("$root/tools/bench/decoder_bench32.sh" "$work" --emulated)
for width in 32 64; do
  if [ "$width" = 32 ]; then emulator=qemu-i386 bench=$bench32; else emulator=qemu-x86_64 bench=$host_bench; fi
  for corpus in "$@"; do
    label=${corpus%%=*}
    for who in ours libzstd; do
      # The streams are in the cache already (the timed run made them).
      counts=$("$emulator" -plugin "$plugin" "$bench" --only "$who" --cache "$cache" "$corpus" 2>&1 >/dev/null |
        grep '^insns ') || { echo "decoder_count: $who did not decode $label built $width-bit" >&2; exit 1; }
      read -r _ insn _ mem <<<"$counts"
      echo "decoder${width}_${label}_${who}_insn $insn"
      echo "decoder${width}_${label}_${who}_mem $mem"
    done
  done
done
