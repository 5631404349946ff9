# Sourced by the benchmark scripts: install_missing_peers PROGRAM... installs the Debian packages of
# the same names for those not on the PATH.
install_missing_peers() {
  local missing=() peer sudo=""
  for peer in "$@"; do
    command -v "$peer" >/dev/null || missing+=("$peer")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y --no-install-recommends "${missing[@]}" ||
    { $sudo apt-get update && $sudo apt-get install -y --no-install-recommends "${missing[@]}"; }
}
