# Sourced by run.sh and test.sh: installs the Debian packages the build needs when they are
# missing. Idempotent; does nothing (quickly) when everything is there.
dendrokit_install_missing() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

DENDROKIT_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev qt6-base-dev libgl-dev
  fonts-dejavu-core qt6-tools-dev libqt6opengl6-dev qt6-svg-dev)
