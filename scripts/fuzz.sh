#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) and
# runs each for FUZZ_SECONDS (default 60) from its corpus in tests/fuzz/corpus/NAME. New inputs
# go to BUILD/corpus/NAME, crashes to BUILD/crashes/NAME; a crash fails the run, and its input
# belongs in the corpus folder and in a regression test.
set -euo pipefail
build_dir=${1:-build-fuzz}
seconds=${2:-${FUZZ_SECONDS:-60}}
project=$(readlink -f "$(dirname "$0")/..")
CC=clang CXX=clang++ cmake -S "$project" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORL_WITH_FUZZ=ON -DVORL_WITH_QT=OFF -DVORL_WITH_TESTS=OFF -DVORL_WITH_BENCH=OFF >/dev/null
targets=()
for corpus in "$project"/tests/fuzz/corpus/*/; do targets+=("$(basename "$corpus")"); done
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]/#/vorl-fuzz-}"
failed=0
for name in "${targets[@]}"; do
    mkdir -p "$build_dir/corpus/$name" "$build_dir/crashes/$name"
    if "$build_dir/tests/fuzz/vorl-fuzz-$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build_dir/crashes/$name/" "$build_dir/corpus/$name" "$project/tests/fuzz/corpus/$name" \
        >"$build_dir/fuzz-$name.log" 2>&1; then
        echo "fuzz $name: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$build_dir/fuzz-$name.log" | grep -o '[0-9]*$' || tail -n 1 "$build_dir/fuzz-$name.log" | cut -c1-60) runs, no crash"
    else
        echo "fuzz $name: CRASH, see $build_dir/fuzz-$name.log and $build_dir/crashes/$name/"
        failed=1
    fi
done
exit $failed
