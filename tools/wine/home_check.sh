#!/usr/bin/env bash
# Checks that a command leaves the user's home folder as it found it: no entry
# added or removed, no file or folder changed. Everything the project runs
# (Wine prefixes included) belongs inside the build folder.
# HOME_CHECK_IGNORE: colon-separated paths below the home folder that other
# programs change meanwhile (left out of the check).
# Usage: tools/wine/home_check.sh STATE_FILE command...
set -euo pipefail
state=$1; shift
home=$(realpath "$HOME")
mkdir -p "$(dirname "$state")"

listing() {
  local args=() p
  IFS=: read -ra ignored <<< "${HOME_CHECK_IGNORE:-}"
  for p in "${ignored[@]}"; do
    [ -n "$p" ] && args+=(-path "$home/${p#/}" -prune -o)
  done
  # Path, type, size and modification time of every entry.
  find "$home" -xdev "${args[@]}" -printf '%p\t%y\t%s\t%T@\n' 2>/dev/null | LC_ALL=C sort
}

listing > "$state.before"
status=0
"$@" || status=$?
listing > "$state.after"
if ! diff "$state.before" "$state.after" > "$state.diff"; then
  echo "home folder check: the command changed $home:" >&2
  grep '^[<>]' "$state.diff" | head -20 >&2
  [ "$status" != 0 ] || status=3
else
  echo "home folder check: $home is as it was"
fi
exit "$status"
