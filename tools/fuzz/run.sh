#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 10),
# starting from the committed seeds. New inputs go to BUILD/fuzz/work, crashes
# to BUILD/fuzz/crashes. Prints the executions of every target.
# Usage: tools/fuzz/run.sh BUILD [SECONDS]
set -euo pipefail
build=$(realpath -m "$1")
seconds=${2:-10}
top=$(cd "$(dirname "$0")/../.." && pwd)
if [ ! -f "$build/fuzz/CMakeCache.txt" ]; then
  (cd "$top" && cmake --preset fuzz -B "$build/fuzz" >/dev/null)
fi
cmake --build "$build/fuzz" -j 2 >/dev/null
status=0
for exe in "$build"/fuzz/bin/*_fuzz; do
  name=$(basename "$exe")
  work="$build/fuzz/work/$name"
  crashes="$build/fuzz/crashes/$name"
  mkdir -p "$work" "$crashes"
  seeds="$top/tests/fuzz/corpus/$name"
  [ -d "$seeds" ] || seeds=""
  if "$exe" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" \
       "$work" $seeds >"$build/fuzz/$name.log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz/$name.log" | grep -o '[0-9]*$' || echo '?')
    echo "$name: $runs executions in ${seconds}s, no failure"
  else
    echo "$name: FAILED, see $build/fuzz/$name.log and $crashes"
    tail -30 "$build/fuzz/$name.log"
    status=1
  fi
done
exit $status
