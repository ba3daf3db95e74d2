#!/usr/bin/env bash
# Runs VORL headless in a fresh install folder, the way a user would start it.
set -euo pipefail
build_dir=${1:-build}
run_dir=${2:-demo/run}
rm -rf "$run_dir"
mkdir -p "$run_dir/docs" "$run_dir/config"
# A simulator installation VORL finds by itself, as on a Steam machine.
sim="$run_dir/appdata/roaming/Microsoft Flight Simulator/Packages"
mkdir -p "$sim/Community" "$sim/Official" "$run_dir/appdata/local"
export XDG_CONFIG_HOME="$(readlink -f "$run_dir/appdata/roaming")" XDG_DATA_HOME="$(readlink -f "$run_dir/appdata/local")"
vorl=$(readlink -f "$build_dir/app/vorl")
"$vorl" --headless --production --workdir "$run_dir" --config-dir "$run_dir/config"
echo "demo: log at $run_dir/Log.txt, settings at $run_dir/config/parameters.xml"
