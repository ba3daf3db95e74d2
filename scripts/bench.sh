#!/usr/bin/env bash
# Runs every benchmark binary and prints its figures.
set -euo pipefail
build_dir=${1:-build}
shopt -s nullglob
for b in "$build_dir"/bench/*/vorl-bench-*; do
  [ -x "$b" ] && "$b" --benchmark_format=console
done
