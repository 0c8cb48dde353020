#!/usr/bin/env bash
# Installation benchmark: the time from "Installer" to the finish page of the
# real setup.exe under Wine, beside `cp -r` of the same files on the same disk.
# Two packages: 1,000 files / 100 MB in 20 sub-folders, and one file of 200 MB.
# Each figure is the median of RUNS runs. Writes docs/benchmarks.md.
# Usage: tools/bench/install_bench.sh BUILD_DIR
set -euo pipefail
build=$(realpath -m "${1:-build}")
runs=${RUNS:-3}
root=$(cd "$(dirname "$0")/../.." && pwd)
work="$build/bench"
bench_exe="$build/win/bin/install_bench_test.exe"
[ -f "$bench_exe" ] || { echo "missing $bench_exe: build first" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"

# The two source trees, random bytes so that nothing compresses or dedups.
many="$work/src_many"
mkdir -p "$many"
for d in $(seq -w 1 20); do
  mkdir -p "$many/dir$d"
  for f in $(seq -w 1 50); do
    head -c 104858 /dev/urandom > "$many/dir$d/file$f.bin"
  done
done
one="$work/src_one"
mkdir -p "$one"
head -c 209715200 /dev/urandom > "$one/big.bin"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# cp -r of a tree on the same disk, in milliseconds (median of the runs).
time_cp() {
  local src=$1 label=$2
  for _ in $(seq "$runs"); do
    rm -rf "$work/cp_dst"
    sync
    local t0 t1
    t0=$(date +%s%N)
    cp -r "$src" "$work/cp_dst"
    t1=$(date +%s%N)
    echo $(( (t1 - t0) / 1000000 ))
  done | median
  rm -rf "$work/cp_dst"
}

# The wizard's installation of a tree, in milliseconds (median of the runs).
time_setup() {
  local src=$1 label=$2
  sync
  BENCH_SOURCE="Z:$src" BENCH_TARGET="Z:$work/installed" BENCH_LABEL="$label" BENCH_RUNS="$runs" \
    TEST_BIN_DIR="Z:$build/win/bin" TEST_SOURCE_DIR="Z:$root" \
    wine "$bench_exe" --gtest_also_run_disabled_tests --gtest_filter='InstallBench.*' \
    > "$work/$label.log" 2>&1 || { cat "$work/$label.log" >&2; exit 1; }
  grep '^BENCH ' "$work/$label.log" | awk '{print $3}' | median
}

export -f median
run_all() {
  local setup_many setup_one cp_many cp_one
  setup_many=$(time_setup "$many" many)
  cp_many=$(time_cp "$many" many)
  setup_one=$(time_setup "$one" one)
  cp_one=$(time_cp "$one" one)
  printf '%s %s %s %s\n' "$setup_many" "$cp_many" "$setup_one" "$cp_one"
}
export -f run_all time_setup time_cp
export work runs build root bench_exe many one

read -r setup_many cp_many setup_one cp_one < <("$root/tools/with_wine.sh" "$build" bash -c run_all)
rm -rf "$many" "$one" "$work/installed"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "n/a" }'; }
table=$(cat <<TABLE
| Package | setup.exe, "Installer" to finish page (ms) | \`cp -r\` (ms) | ratio |
|---|---|---|---|
| 1,000 files / 100 MB in 20 sub-folders | $setup_many | $cp_many | $(ratio "$setup_many" "$cp_many") |
| 1 file / 200 MB | $setup_one | $cp_one | $(ratio "$setup_one" "$cp_one") |
TABLE
)
echo "$table"

cpus=$(nproc)
cat > "$root/docs/benchmarks.md" <<DOC
# Benchmarks

## Installation speed

Time from pressing "Installer" on the ready page to the finish page of the real
\`setup.exe\` (running under Wine with a private Xvfb), beside \`cp -r\` of the same
files to the same disk. Median of $runs runs each. Files are random bytes. The
installation writes every file straight from the program's payload resource in
one write, logs it, updates the progress bar and sleeps 1 ms after each file;
then it writes \`uninst.exe\` with the install log embedded and the uninstall key.
Neither side waits for the data to reach the disk (no sync after the copy).

Measured $(date -u +%Y-%m-%d) on $cpus cores shared with other work; run again with
\`make bench BUILD=<build folder>\`.

$table

With many small files the per-file work dominates: each file is one create,
one write and one close through Wine, a sent message for the file name and one
for the progress bar, a log entry, and the 1 ms pause; one large file costs
little more than the copy of its bytes.
DOC
echo "written: docs/benchmarks.md"
