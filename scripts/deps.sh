#!/usr/bin/env bash
# Installs the Debian packages the game, its tools and its tests need, when any are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libx11-dev libepoxy-dev libgl-dev libgl1-mesa-dri libegl-mesa0
  libpng-dev zlib1g-dev libopenal-dev libvorbis-dev libogg-dev
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth xdotool pulseaudio pulseaudio-utils pipewire wireplumber pipewire-pulse dbus-daemon
  sox imagemagick clang-format clang libclang-rt-14-dev
  desktop-file-utils appstream file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
[ "${KESTRUNE_APT_UPDATED:-0}" = 1 ] || $sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
