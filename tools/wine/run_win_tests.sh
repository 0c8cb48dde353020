#!/usr/bin/env bash
# The Win32 suite under Wine: against the 32-bit build and the 64-bit build on
# a machine whose Wine starts 32-bit programs, against the 64-bit build alone
# on one that cannot (WINARCH forces one of them). Each build has its own
# tree (BUILD/win, BUILD/win64) and its own Wine prefix inside it.
# Usage: tools/wine/run_win_tests.sh BUILD [ctest arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "$1"); shift
jobs=${JOBS:-2}
archs=$("$here/wine_arch.sh" "$build" "make test" --both)
for arch in $archs; do
  tree=$build/win
  [ "$arch" = x86_64 ] && tree=$build/win64
  cmake --build "$tree" -j "$jobs"
  echo "Win32 suite, $arch build ($tree)"
  # Each test program runs once: a failure is a failure (with_wine.sh says why
  # a program under Wine could, rarely, fail to start, and what prevents it).
  "$here/with_wine.sh" "$arch" "$tree" sh -c 'cd "$1" && shift && ctest --output-on-failure "$@"' - "$tree" "$@"
done
