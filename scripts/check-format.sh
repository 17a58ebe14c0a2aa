#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what the root .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "unformatted code: run clang-format -i on the files above" >&2
  exit 1
fi
