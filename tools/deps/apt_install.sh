# Sourced by the bench's scripts: apt_install PACKAGE... installs Debian
# packages that a figure needs and the tests do not, as root or through sudo,
# quietly; when the first try fails it refreshes the indexes (which may come
# back incomplete from a mirror mid-sync) and tries once more.
apt_install() {
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@" >/dev/null && return 0
  $sudo apt-get update -q >/dev/null 2>&1 || true
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@" >/dev/null
}
