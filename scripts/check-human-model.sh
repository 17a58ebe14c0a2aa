#!/usr/bin/env bash
# The human-model player works and is deterministic: a few runs of a small test room with a fixed
# seed, played once in one process and once shared between two, must print the same runs and
# figures. The room is built from its design, so the check does not move with the real stages.
#   check-human-model.sh HUMAN_EXE STAGE_BUILDER_EXE ROOM_DESIGN_DIR [RUNS] [BEAM]
set -euo pipefail
human=$1
builder=$2
designs=$3
runs=${4:-4}
beam=${5:-12}
stage=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$builder" "$designs" "$work/stage.dat"
args=("$stage" --stage-file "$work/stage.dat" --runs "$runs" --seed 1 --beam "$beam" --list)
one=$("$human" "${args[@]}" --jobs 1)
two=$("$human" "${args[@]}" --jobs 2)
echo "$one"
if [ "$one" != "$two" ]; then
    echo "FAIL: the same seed gave different figures in two processes:"
    diff <(echo "$one") <(echo "$two") || true
    exit 1
fi
# One line per run (index, won, countdown used, ticks, cell, plans, cause), then the summary.
lines=$(echo "$one" | grep -cE '^[0-9]+ [01] [0-9.]+ [0-9]+ -?[0-9]+ -?[0-9]+ [0-9]+ ?' || true)
if [ "$lines" -ne "$runs" ] || ! echo "$one" | grep -q "^stage $stage: $runs runs (seed 1)"; then
    echo "FAIL: expected $runs runs and a summary"
    exit 1
fi
# Every run played: a run that never got past the walk-in has no ticks after it.
if echo "$one" | grep -qE '^[0-9]+ [01] [0-9.]+ 0 '; then
    echo "FAIL: a run never got past the walk-in"
    exit 1
fi
# The room is easy: a model that never wins it, or cannot say what killed it, is broken.
if ! echo "$one" | grep -qE '^[0-9]+ 1 '; then
    echo "FAIL: not one run won the test room"
    exit 1
fi
if echo "$one" | grep -qE '^[0-9]+ 0 .* (unknown)?$'; then
    echo "FAIL: a loss without its cause"
    exit 1
fi
echo "ok: $runs runs, the same in one process and in two"
