#!/usr/bin/env bash
# Installs, on a Debian 12 machine, every package the build, the tests and the demo need.
# Changes nothing when they are all present; never upgrades.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev googletest
  libsdl2-dev libepoxy-dev libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0
  libopenal-dev libalut-dev libogg-dev libvorbisidec-dev libmpg123-dev
  libpng-dev libjpeg62-turbo-dev libgif-dev zlib1g-dev libjson-c-dev libbox2d-dev
  libcurl4-openssl-dev libffi-dev glslang-dev libspirv-cross-c-shared-dev
  libimgui-dev libstb-dev libmimalloc-dev libcdio-dev libcdio-paranoia-dev python3 vorbis-tools
  # The window tests: an X server of their own, a plain window manager, tools that query and drive windows.
  xvfb xauth xfonts-base evilwm xdotool x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get install -y --no-install-recommends "${missing[@]}"; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
