#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what the root .clang-format makes of it. Without
# clang-format or a git checkout the check is skipped (exit code 77), which fails under CI=true.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
kestrune_need clang-format git
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || kestrune_skip "not a git checkout"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "unformatted code: run clang-format -i on the files above" >&2
    exit 1
fi
echo "format: every tracked source is as clang-format makes it"
