#!/usr/bin/env bash
# Runs VORL headless in a fresh install folder, the way a user would start it.
set -euo pipefail
build_dir=${1:-build}
run_dir=${2:-demo/run}
rm -rf "$run_dir"
mkdir -p "$run_dir/docs" "$run_dir/config"
vorl=$(readlink -f "$build_dir/app/vorl")
"$vorl" --headless --production --workdir "$run_dir" --config-dir "$run_dir/config"
echo "demo: log at $run_dir/Log.txt, settings at $run_dir/config/parameters.xml"
