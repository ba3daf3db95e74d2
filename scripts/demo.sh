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
mkdir -p "$sim/Community" "$sim/Official" "$run_dir/appdata/local"
export XDG_CONFIG_HOME="$run_dir/appdata/roaming" XDG_DATA_HOME="$run_dir/appdata/local"
project=$(readlink -f "$(dirname "$0")/..")

# Made-up AI traffic packages (AIG, FSLTL, IVAO MTL, JF, user-aitraffic) for the scenario's
# airlines: VORL scans them for liveries, the simulator stand-in creates their titles.
"$build_dir/tools/aipackages/vorl-aipackages" --fleet "$project/tools/scenario/fleet.json" --out "$sim/Community"
# Made-up airport sceneries (two third-party ones in Community, one of the simulator's own in
# Official) for the add-on airport scan at the first start.
"$build_dir/tools/sceneries/vorl-sceneries" --out "$sim"

vorl=$(readlink -f "$build_dir/app/vorl")
standin=$(readlink -f "$build_dir/standins/download/vorl-download-standin")
rt_standin=$(readlink -f "$build_dir/standins/rt/vorl-rt-standin")
scenario=$(readlink -f "$build_dir/scenarios/EHAM.jsonl")
demo_key=DEMO-KEY

# The download server holds the archived airport files for both simulator versions.
for simulator in MSFS MSFS2024; do
    mkdir -p "$run_dir/server/$simulator"
    cp -r "$project/data/archive" "$run_dir/server/$simulator/"
done

# The download server knows this very version, so the check finds VORL up to date.
IFS=. read -r major minor patch <<<"$("$vorl" --version)"
cat >"$run_dir/server/versions.json" <<JSON
{"msfs": {"major": $major, "minor": $minor, "patch": $patch}}
JSON
"$standin" --root "$run_dir/server" --port 0 >"$run_dir/server.log" 2>&1 &
standin_pid=$!
"$rt_standin" --port 0 --scenario "$scenario" --start 600 --license "$demo_key" >"$run_dir/rt-server.log" 2>&1 &
rt_pid=$!
trap 'kill $standin_pid $rt_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q "download stand-in at" "$run_dir/server.log" && break; sleep 0.1; done
for _ in $(seq 50); do grep -q "RealTraffic stand-in listening on" "$run_dir/rt-server.log" && break; sleep 0.1; done
server_url=$(sed -n 's|^download stand-in at \(http://[^/]*\)/downloads/.*|\1|p' "$run_dir/server.log")
rt_url=$(sed -n 's|^RealTraffic stand-in listening on \(http://.*\)$|\1|p' "$run_dir/rt-server.log")

# First start: a production check creates the settings; then the servers and the key are set.
"$vorl" --headless --production --workdir "$run_dir" --config-dir "$run_dir/config"
set_setting() {
    sed -i "s|name=\"$1\" value=\"[^\"]*\"|name=\"$1\" value=\"$2\"|" "$run_dir/config/parameters.xml"
}
set_setting DOWNLOAD_SERVER_URL "$server_url"
set_setting RT_API_URL "$rt_url"
set_setting RT_LICENSE "$demo_key"

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

# What the simulator showed, against the scenario shifted by the play-out delay.
replay=$(sed -n 's|^replay: scenario second \([0-9.]*\) is Unix time \([0-9.]*\)$|\1 \2|p' "$run_dir/rt-server.log")
read -r replay_second replay_epoch <<<"$replay"
"$(dirname "$vorl")/../tools/trace/vorl-trace-check" --scenario "$scenario" --trace "$run_dir/sim-trace.jsonl" \
    --replay-second "$replay_second" --replay-epoch "$replay_epoch" \
    --stands "$run_dir/server/MSFS/archive/stock/EHAM.xml" | tee "$run_dir/trace-check.txt" || true

# What the run did, from the program's own log.
log="$run_dir/Log.txt"
count() { grep -c -E "$1" "$log" || true; }
echo
echo "demo summary ($duration s)"
sed -n 's/^\([0-9]*\) live aircraft created, \([0-9]*\) removed$/  live aircraft created \1, removed \2/p' "$log"
sed -n 's/^\([0-9]*\) static aircraft placed at \(.*\)$/  static aircraft placed at \2: \1/p' "$log"
echo "  live aircraft parked at a stand: $(count ': .* (arrived at stand|parks)$'), left a stand: $(count 'pulling out|pushing back')"
echo "  liveries matched at step 0..6: $(sed -n '/^Matches at step: $/,/^$/p' "$log" | sed -n 's/^  \([0-9]\): \([0-9]*\)$/\2/p' | paste -sd' ')"
# The livery scan reports the broken files the sample packages hold on purpose under "Errors:".
echo "  add-on airports scanned: $(count '^Generated ') airport files written, $(count ' linked to ') linked to the archive, tblo.zip $([ -f "$run_dir/tblo/tblo.zip" ] && echo "written for the maker" || echo "not needed")"
echo "  error lines in the log: $(grep -E 'Error|error' "$log" | grep -c -v '^Errors:$' || true)"
echo "  trace check: $(head -n 1 "$run_dir/trace-check.txt" 2>/dev/null)"
echo "demo: log at $log, settings at $run_dir/config/parameters.xml, window at $run_dir/window.png, map at $run_dir/map.svg"
