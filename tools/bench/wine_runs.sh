#!/usr/bin/env bash
# The figures taken under Wine, run by install_bench.sh inside tools/wine/with_wine.sh:
# pack, the peer installer and uninstaller, and the wizard and uninst.exe, all
# started from the same driving program inside the same Wine, one after the other.
# Appends "label value" lines to $BENCH_RESULTS; takes only the figures that
# BENCH_ONLY selects (bench_select.sh).
set -euo pipefail
source "$BENCH_ROOT/tools/bench/bench_select.sh"
work=$BENCH_WORK bin=$BENCH_BIN results=$BENCH_RESULTS
driver="$bin/bench_driver.exe"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
export TEST_BIN_DIR=$(winpath "$bin") TEST_SOURCE_DIR=$(winpath "$BENCH_ROOT")
# BENCH_CAPTURE=folder: a picture of each wizard as its timing ended.
if [ -n "${BENCH_CAPTURE:-}" ]; then
  mkdir -p "$BENCH_CAPTURE"
  BENCH_CAPTURE=$(winpath "$(realpath "$BENCH_CAPTURE")")
  export BENCH_CAPTURE
fi

# Runs one of the driver's timings; its BENCH lines go to the results.
drive() {  # test name, log name, then VAR=value settings
  local test=$1 log="$work/$2.log"; shift 2
  if ! env "$@" BENCH_RUNS="${RUNS_OVERRIDE:-$RUNS}" wine "$driver" --gtest_also_run_disabled_tests \
      --gtest_filter="InstallBench.DISABLED_$test" > "$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  grep -a '^BENCH ' "$log" | awk '{print $2, $3}' >> "$results"
}
commands() {  # label, clean folder, command [, second command]
  drive Commands "cmd_$1" BENCH_LABEL="$1" BENCH_CLEAN="${2:+$(winpath "$2")}" BENCH_COMMAND="$3" BENCH_COMMAND2="${4:-}"
}

pack=$(winpath "$bin/pack.exe")
# Starting a console program under Wine, doing nothing: the fixed cost in
# every pack and peer figure below.
wanted wine_start && commands wine_start "" "$pack --help"
# Our packages (a), (b), (c), the one file and (a) per user, made by pack.exe:
# (a) and (b) RUNS times, the others once.
for name in a b c one auser; do
  wanted "pack_$name" || continue
  runs=1
  [ "$name" = a ] || [ "$name" = b ] && runs=$RUNS
  RUNS_OVERRIDE=$runs commands "pack_$name" "" "$pack build $(winpath "$work/$name.ini") -o $(winpath "$work/$name.exe")"
done
# pack.exe on the 100,000 files takes minutes per run under Wine (each file is
# several calls through Wine): only with BENCH_MANY_WINE=1.
if [ "${BENCH_MANY_WINE:-0}" = 1 ] && wanted pack_many; then
  for name in many_listed many_pattern; do
    RUNS_OVERRIDE=1 commands "pack_$name" "" "$pack build $(winpath "$work/$name.ini") -o $(winpath "$work/$name.exe")"
  done
fi

# The peer: silent install, then its uninstaller run in place (_?= makes it
# run from the install folder and wait, instead of copying itself away).
for name in one a b c; do
  wanted "peer_$name" || continue
  peer_made "$name"
  dir="$work/peer_$name"
  commands "peer_$name" "$dir" "$(winpath "$work/peer_$name.exe") /S /D=$(winpath "$dir")" \
    "$(winpath "$dir/uninstall.exe") /S _?=$(winpath "$dir")"
done

# Ours, through the wizard and uninst.exe ((a) also as a per-user package,
# beside the administrator's), and the floors of the extraction
# loop, one run of each per round: a figure and the floor it is compared with
# are taken a few seconds apart, not minutes, so that a change in what else
# the machine does (its disk above all) weighs on both alike. During (b) the
# memory of setup.exe is also sampled from Linux.
# The floors, inside the same Wine: bare create, write and close of the same
# number and size of files from memory, their deletion, the 1 ms pauses alone,
# the pauses with the page's two sent updates, and the engine's loop without a
# wizard page.
floor="$(winpath "$work/floor")"
for name in one a auser b c z zbest; do
  if wanted "ours_$name"; then ours_made "$name"; fi
done
if wanted again_a; then ours_made a; fi
for name in z z_lzma wizard_a wizard_c wizard_z_lzma; do
  if wanted "peer_$name"; then peer_made "$name"; fi
done
for round in $(seq "$RUNS"); do
  for name in one a auser b c; do
    wanted "ours_$name" || continue
    sampler=""
    if [ "$name" = b ]; then
      python3 "$BENCH_ROOT/tools/bench/mem_sample.py" "bench\\b.exe" "$work/sampling" "$work/mem_b.txt" &
      sampler=$!
      touch "$work/sampling"
    fi
    RUNS_OVERRIDE=1 drive InstallAndUninstall "ours_${name}_$round" BENCH_LABEL="ours_$name" \
      BENCH_SETUP="$(winpath "$work/$name.exe")" BENCH_TARGET="$(winpath "$work/inst_$name")" BENCH_APP="Bench$name"
    if [ -n "$sampler" ]; then
      rm -f "$work/sampling"
      wait "$sampler"
      cat "$work/mem_b.txt" >> "$results"
    fi
  done
  # The programs corpus: ours plain and compressed through the wizard, the
  # peer's compressed package silently, each once a round; and the compressed
  # payload decoded without a file written (the floor of its install).
  for name in z zbest; do
    wanted "ours_$name" || continue
    RUNS_OVERRIDE=1 drive InstallAndUninstall "ours_${name}_$round" BENCH_LABEL="ours_$name" \
      BENCH_SETUP="$(winpath "$work/$name.exe")" BENCH_TARGET="$(winpath "$work/inst_$name")" BENCH_APP="Bench$name"
  done
  if wanted ours_zbest; then
    RUNS_OVERRIDE=1 drive DecodeOnly "decode_zbest_$round" BENCH_LABEL=ours_zbest BENCH_SETUP="$(winpath "$work/zbest.exe")"
    # The compressed install's memory, sampled from Linux (Wine's
    # PeakPagefileUsage leaves the decoder's history out), in a run of its
    # own: the sampler reads every process's status every few milliseconds,
    # and on two cores that would slow the install it samples.
    if [ "$round" = 1 ]; then
      python3 "$BENCH_ROOT/tools/bench/mem_sample.py" "bench\\zbest.exe" "$work/sampling" "$work/mem_zbest.txt" \
        mem_zbest &
      sampler=$!
      touch "$work/sampling"
      RUNS_OVERRIDE=1 drive InstallAndUninstall "sampled_zbest" BENCH_LABEL="sampled_zbest" \
        BENCH_SETUP="$(winpath "$work/zbest.exe")" BENCH_TARGET="$(winpath "$work/inst_zbest")" BENCH_APP="Benchzbest"
      rm -f "$work/sampling"
      wait "$sampler"
      cat "$work/mem_zbest.txt" >> "$results"
    fi
  fi
  for name in z z_lzma; do
    wanted "peer_$name" || continue
    dir="$work/peer_$name"
    RUNS_OVERRIDE=1 commands "peer_$name" "$dir" "$(winpath "$work/peer_$name.exe") /S /D=$(winpath "$dir")" \
      "$(winpath "$dir/uninstall.exe") /S _?=$(winpath "$dir")"
  done
  # The peer through its wizard, (a), (c) and the programs in solid LZMA.
  for name in a c z_lzma; do
    wanted "peer_wizard_$name" || continue
    RUNS_OVERRIDE=1 drive PeerWizard "peer_wizard_${name}_$round" BENCH_LABEL="peer_wizard_$name" \
      BENCH_SETUP="$(winpath "$work/peer_wizard_$name.exe")" BENCH_TARGET="$(winpath "$work/peer_wizard_$name")"
  done
  if wanted floor_a; then
    RUNS_OVERRIDE=1 drive Floor "floor_a_$round" BENCH_LABEL=floor_a BENCH_TARGET="$floor" BENCH_FOLDERS=20 \
      BENCH_FILES=50 BENCH_BYTES=104858
  fi
  if wanted floor_c; then
    RUNS_OVERRIDE=1 drive Floor "floor_c_$round" BENCH_LABEL=floor_c BENCH_TARGET="$floor" BENCH_FOLDERS=20 \
      BENCH_FILES=250 BENCH_BYTES=1024
  fi
  # (a) installed again over itself, and cancelled at its middle.
  if wanted again_a; then
    RUNS_OVERRIDE=1 drive UpgradeAndCancel "again_a_$round" BENCH_LABEL=again_a \
      BENCH_SETUP="$(winpath "$work/a.exe")" BENCH_TARGET="$(winpath "$work/inst_a")" BENCH_APP="Bencha"
  fi
done

# ---------------------------------------------------------------- per-user installs
# The user's own programs folder, as this Wine's user sees it.
user_programs() { echo "$(wine cmd /c echo %LOCALAPPDATA% </dev/null 2>/dev/null | tr -d '\r')\\Programs"; }

# The peer's per-user install of package NAME (RequestExecutionLevel user, into
# the user's programs folder, registered under HKCU), silent like its install
# for all users: labels peer_user_NAME_1 (install) and _2 (uninstall).
peer_per_user() {  # package name
  local name=$1 dir
  dir="$(user_programs)\\Peeruser_$name"
  drive Commands "cmd_peer_user_$name" BENCH_LABEL="peer_user_$name" BENCH_CLEAN="$dir" \
    BENCH_COMMAND="$(winpath "$work/peer_user_$name.exe") /S" BENCH_COMMAND2="$dir\\uninstall.exe /S _?=$dir"
}

if [ "$BENCH_PER_USER" != 0 ] && wanted peer_user_a; then
  peer_made user_a
  peer_per_user a
fi
