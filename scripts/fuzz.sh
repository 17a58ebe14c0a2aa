#!/usr/bin/env bash
# Builds the fuzz targets with clang (build-fuzz/) and runs each one for a fixed time on a copy of
# its corpus under fuzz/corpus/; fails on the first finding, which libFuzzer leaves as a crash-*
# file in the work folder it prints.
#   fuzz.sh [SECONDS_EACH] [TARGET ...]     targets: settings stream stage atlas png ogg music_stream
# A target with no corpus of its own starts from its reader's: music_stream from the Ogg files.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(settings stream stage atlas png ogg music_stream)
seeds_of() { [ -d "fuzz/corpus/$1" ] && echo "$1" || echo ogg; }

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTRUNE_FUZZ=ON -DKESTRUNE_TESTS=OFF -DKESTRUNE_BENCH=OFF >/dev/null
cmake --build build-fuzz --target $(printf 'fuzz_%s ' "${targets[@]}")

work=$(mktemp -d /tmp/kestrune-fuzz-XXXXXX)
echo "work folder: $work"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0
for t in "${targets[@]}"; do
    mkdir -p "$work/$t"
    cp -r "fuzz/corpus/$(seeds_of "$t")/." "$work/$t/"
    log="$work/$t.log"
    # The targets' own messages (stderr, stdout) are closed; libFuzzer's report still shows.
    if ! (cd "$work" && "$OLDPWD/build-fuzz/fuzz/fuzz_$t" "$work/$t" -max_total_time="$seconds" \
            -close_fd_mask=3 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 >"$log" 2>&1); then
        echo "fuzz_$t: FINDING (see $log and the crash-* file in $work)"
        tail -n 40 "$log"
        exit 1
    fi
    # libFuzzer ends a full run with its stats; a target that left without them stopped early,
    # and its code says nothing about the inputs it never tried.
    if ! runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*'); then
        echo "fuzz_$t: ended before its $seconds s without libFuzzer's final stats (see $log)"
        tail -n 20 "$log"
        exit 1
    fi
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || echo 0)
    echo "fuzz_$t: $runs runs in $seconds s, coverage $cov edges, no findings"
done
rm -rf "$work"
