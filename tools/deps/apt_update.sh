# Sourced by the deps scripts: apt_update refreshes the package indexes. A
# mirror caught mid-sync serves an index of the wrong size, so it tries a few
# times, then goes on with what was fetched (what follows says what is missing);
# it returns 1 then, so that a failed install is not taken for a lasting one.
apt_update() {
  local attempt
  for attempt in 1 2 3 4 5; do
    $sudo apt-get update -q "$@" && return 0
    [ "$attempt" -eq 5 ] && break
    sleep $((attempt * 10))
  done
  echo "deps: apt-get update kept failing; going on with the indexes it has" >&2
  return 1
}
