#!/usr/bin/env bash
# Plays the game under random input for a long time (a million frames unless told otherwise)
# in the sanitizer build, and reports frames a second and the resident memory at the start and
# the end, which must stay flat. The sanitizer's quarantine of freed memory is kept small so that
# it does not read as growth.
#   soak.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
frames=${1:-1000000}
bash scripts/deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_SANITIZE=ON -DKESTRUNE_WERROR=ON >/dev/null
cmake --build build-test --target kestrune_tests
export SDL_VIDEODRIVER=offscreen SDL_NO_SIGNAL_HANDLERS=1 ALSOFT_DRIVERS=null
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$PWD/build-test/xdg-runtime}
# Off for the reason given with the tests' environment (tests/CMakeLists.txt).
export ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=1:intercept_tls_get_addr=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if KESTRUNE_SOAK_FRAMES=$frames ./build-test/tests/kestrune_tests --gtest_filter='Soak.*' >"$log" 2>&1 &&
    grep -q 'frames in' "$log"; then
    grep -E 'frames in|OK ' "$log"
else
    echo "the soak failed or ended early:"
    tail -n 40 "$log"
    exit 1
fi
