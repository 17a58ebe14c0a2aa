#!/usr/bin/env bash
# Builds the game and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_TESTS=OFF -DKESTRUNE_BENCH=OFF
cmake --build build --target kestrune
exec ./build/kestrune
