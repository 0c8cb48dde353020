# Which figures a run of make bench takes, sourced by install_bench.sh and
# wine_runs.sh. BENCH_ONLY holds shell patterns of figure names, separated by
# spaces ("ours_a floor_a peer_wizard_*"); empty, every figure is taken.

# Every name a pattern can select, in the order the bench takes them.
bench_names() {
  echo makensis_a makensis_b makensis_z makensis_z_zlib makensis_z_lzma makensis_m_lzma
  echo pack_host_z pack_host_zbest pack_host_zfast pack_host_m pack_host_mbest pack_host_b pack_host_huge
  echo pack_host_crafted pack_host_names pack_host_many decoder cp_a cp_b cp_c
  echo wine_start pack_a pack_b pack_c pack_one pack_many pack_auser
  echo peer_one peer_a peer_b peer_c
  echo ours_one ours_a ours_auser ours_b ours_c ours_z ours_zbest peer_z peer_z_lzma
  echo peer_wizard_a peer_wizard_c peer_wizard_z_lzma floor_a floor_c again_a peer_user_a
}

# Read without pathname expansion: the patterns are matched against names, not files.
read -ra bench_only_patterns <<< "${BENCH_ONLY:-}"

# True when one of the names is to be taken.
wanted() {  # name...
  [ ${#bench_only_patterns[@]} -eq 0 ] && return 0
  local name pattern
  for name; do
    for pattern in "${bench_only_patterns[@]}"; do
      # shellcheck disable=SC2053  # the pattern is meant to match as a pattern
      [[ $name == $pattern ]] && return 0
    done
  done
  return 1
}

# Fails, naming it, when a pattern selects nothing: a typing error would
# otherwise give an empty table after minutes of setting up.
check_bench_only() {
  local pattern name matched
  for pattern in "${bench_only_patterns[@]}"; do
    matched=0
    for name in $(bench_names); do
      # shellcheck disable=SC2053
      if [[ $name == $pattern ]]; then matched=1; break; fi
    done
    if [ "$matched" = 0 ]; then
      echo "BENCH_ONLY: \"$pattern\" selects no figure; the names are:" >&2
      bench_names >&2
      return 1
    fi
  done
}

# What a figure needs, made untimed when the figure that makes it is not taken:
# a peer installer by makensis, one of our packages by the Linux pack (the
# same bytes as pack.exe's). Both need BENCH_WORK and BENCH_BIN, the second
# BENCH_HOSTPACK.
peer_made() {  # peer package name (peer_NAME.nsi)
  [ -f "$BENCH_WORK/peer_$1.exe" ] || makensis -V1 "$BENCH_WORK/peer_$1.nsi" >/dev/null
}
ours_made() {  # package name (NAME.ini)
  [ -f "$BENCH_WORK/$1.exe" ] ||
    "$BENCH_HOSTPACK" build "$BENCH_WORK/$1.ini" -o "$BENCH_WORK/$1.exe" --setup "$BENCH_BIN/setup.exe" >/dev/null
}
