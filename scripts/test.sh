#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors, and
# runs every test, the include and format checks among them. OpenGL tests draw through Mesa in
# SDL's offscreen video driver; sound tests mix on OpenAL Soft's loopback device. Then the fuzz
# targets, built with clang, run for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_SANITIZE=ON -DKESTRUNE_WERROR=ON
cmake --build build-test
ctest --test-dir build-test --output-on-failure -j 2 --timeout 600
# Every reader of files under libFuzzer for a short while; scripts/fuzz.sh 3600 runs them long.
bash scripts/fuzz.sh 20
