#!/usr/bin/env bash
# Runs VORL in a fresh install folder the way a user would start it, against stand-ins of the
# outside parties: a simulator installation VORL finds by itself, the RealTraffic API replaying
# the EHAM scenario, and the maker's download server. Ends with the window's picture in demo/run/window.png.
set -euo pipefail
build_dir=${1:-build}
run_dir=${2:-demo/run}
duration=${DEMO_SECONDS:-180}

rm -rf "$run_dir"
mkdir -p "$run_dir/docs" "$run_dir/config" "$run_dir/server"
run_dir=$(readlink -f "$run_dir")
cp -r "$build_dir/install/." "$run_dir/" 2>/dev/null || true

# A Steam-style simulator installation below the demo's own per-user folders.
sim="$run_dir/appdata/roaming/Microsoft Flight Simulator/Packages"
mkdir -p "$run_dir/appdata/local"
export XDG_CONFIG_HOME="$run_dir/appdata/roaming" XDG_DATA_HOME="$run_dir/appdata/local"

source "$(dirname "$0")/lib/demo-parts.sh"
demo_make_packages "$build_dir" "$sim"

vorl=$(readlink -f "$build_dir/app/vorl")
# The download server knows this very version, so the check finds VORL up to date.
demo_start_servers "$build_dir" "$run_dir" "$("$vorl" --version)"
# shellcheck disable=SC2086
trap 'kill $server_pids 2>/dev/null || true' EXIT

# First start: a production check creates the settings; then the servers and the key are set.
"$vorl" --headless --production --workdir "$run_dir" --config-dir "$run_dir/config"
demo_point_settings "$run_dir/config/parameters.xml"

echo "demo: VORL runs for $duration seconds with its window on Qt's offscreen platform"
QT_QPA_PLATFORM=offscreen "$vorl" --workdir "$run_dir" --config-dir "$run_dir/config" \
    --duration "$duration" --window-png "$run_dir/window.png" --user-script "${DEMO_USER:-departure}" \
    --sim-trace "$run_dir/sim-trace.jsonl" --sim-map "$run_dir/map.svg" &
vorl_pid=$!
# DEMO_RSS_LOG: the program's resident memory every 10 s ("seconds kB"), for the soak run.
if [ -n "${DEMO_RSS_LOG:-}" ]; then
    : >"$DEMO_RSS_LOG"
    started=$SECONDS
    while kill -0 "$vorl_pid" 2>/dev/null; do
        rss=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$vorl_pid/status" 2>/dev/null || true)
        [ -n "$rss" ] && echo "$((SECONDS - started)) $rss" >>"$DEMO_RSS_LOG"
        sleep 10
    done
fi
wait "$vorl_pid"

demo_trace_check "$build_dir" "$run_dir" "$run_dir/sim-trace.jsonl" | tee "$run_dir/trace-check.txt" || true
demo_summary "$run_dir/Log.txt" "$run_dir" "$duration"
echo "demo: log at $run_dir/Log.txt, settings at $run_dir/config/parameters.xml, window at $run_dir/window.png, map at $run_dir/map.svg"
