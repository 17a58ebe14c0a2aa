#!/usr/bin/env bash
# Builds the release game (-O2, no sanitizers, warnings on) and its Debian package, lists the
# package's contents and runs lintian on it. With --try it also installs the package, starts the
# game from it under Xvfb, checks its window, and removes the package again.
#   package.sh [--try]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
bash scripts/deps.sh
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
for tool in lintian dpkg-shlibdeps; do
    command -v $tool >/dev/null || $sudo apt-get install -y -qq --no-install-recommends lintian dpkg-dev
done
# Debian keeps games in /usr/games.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_TESTS=OFF \
    -DKESTRUNE_BENCH=OFF -DCMAKE_INSTALL_BINDIR=games >/dev/null
cmake --build build-release --target kestrune
(cd build-release && cpack -G DEB >/dev/null)
deb=$(ls build-release/kestrune_*.deb)
echo "package: $deb ($(stat -c %s "$deb") bytes); executable before stripping: $(stat -c %s build-release/kestrune) bytes"
dpkg-deb -I "$deb" | grep -E "Package|Version|Depends|Recommends|Installed-Size"
dpkg-deb -c "$deb"
echo "lintian:"
lintian --no-tag-display-limit "$deb" || true

if [ "${1:-}" = "--try" ]; then
    $sudo dpkg -i "$deb"
    echo "installed: $(stat -c %s /usr/games/kestrune) bytes at /usr/games/kestrune"
    /usr/games/kestrune --version
    kestrune_start_xvfb 1280x1024 93
    profile=$(mktemp -d)
    USERPROFILE=$profile SDL_AUDIODRIVER=dummy /usr/games/kestrune &
    game=$!
    kestrune_wait_window $game >/dev/null
    opened=0
    if xwininfo -name Kestrune | grep -q "Width: 1024"; then
        echo "window Kestrune is open"
        opened=1
    else
        echo "no Kestrune window"
    fi
    kestrune_end $game
    kestrune_stop_xvfb
    rm -rf "$profile"
    # (if, not &&: a loop whose last test fails would end the script under set -e)
    files=$(dpkg -L kestrune | while read -r f; do if [ -f "$f" ]; then echo "$f"; fi; done)
    $sudo dpkg -r kestrune
    left=$(for f in $files; do if [ -e "$f" ]; then echo "$f"; fi; done)
    if [ -n "$left" ]; then echo "left behind after dpkg -r: $left"; exit 1; fi
    echo "dpkg -r removed every file it had installed"
    [ $opened = 1 ] || exit 1
fi
