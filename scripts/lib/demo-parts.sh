# The pieces of a demo run that do not depend on the platform VORL runs on, sourced by
# scripts/demo.sh (Linux) and scripts/windows-demo.sh (the Windows program under Wine).
# The stand-in tools always run on Linux, from the Linux build `host_build`.

# Made-up AI traffic packages (AIG, FSLTL, IVAO MTL, JF, user-aitraffic) for the scenario's
# airlines, and made-up airport sceneries (two third-party ones in Community, one of the
# simulator's own in Official) below the simulator's Packages folder $2.
demo_make_packages() {
    local host_build=$1 packages=$2 project
    project=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    mkdir -p "$packages/Community" "$packages/Official"
    "$host_build/tools/aipackages/vorl-aipackages" --fleet "$project/tools/scenario/fleet.json" --out "$packages/Community"
    "$host_build/tools/sceneries/vorl-sceneries" --out "$packages"
}

# Starts the download server (archived airport files for both simulator versions, and a
# versions.json naming version $3, so the check finds VORL up to date) and the RealTraffic
# stand-in replaying the EHAM scenario. Sets server_url, rt_url, demo_key and server_pids; the
# caller stops server_pids.
demo_start_servers() {
    local host_build=$1 run_dir=$2 version=$3 project major minor patch simulator
    project=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    demo_key=DEMO-KEY
    for simulator in MSFS MSFS2024; do
        mkdir -p "$run_dir/server/$simulator"
        cp -r "$project/data/archive" "$run_dir/server/$simulator/"
    done
    IFS=. read -r major minor patch <<<"$version"
    cat >"$run_dir/server/versions.json" <<JSON
{"msfs": {"major": $major, "minor": $minor, "patch": $patch}}
JSON
    "$host_build/standins/download/vorl-download-standin" --root "$run_dir/server" --port 0 >"$run_dir/server.log" 2>&1 &
    server_pids=$!
    "$host_build/standins/rt/vorl-rt-standin" --port 0 --scenario "$host_build/scenarios/EHAM.jsonl" --start 600 \
        --license "$demo_key" >"$run_dir/rt-server.log" 2>&1 &
    server_pids="$server_pids $!"
    for _ in $(seq 50); do grep -q "download stand-in at" "$run_dir/server.log" && break; sleep 0.1; done
    for _ in $(seq 50); do grep -q "RealTraffic stand-in listening on" "$run_dir/rt-server.log" && break; sleep 0.1; done
    server_url=$(sed -n 's|^download stand-in at \(http://[^/]*\)/downloads/.*|\1|p' "$run_dir/server.log")
    rt_url=$(sed -n 's|^RealTraffic stand-in listening on \(http://.*\)$|\1|p' "$run_dir/rt-server.log")
}

# Points the settings file $1 (written by a first production start) at the stand-ins.
demo_point_settings() {
    local settings=$1
    set_setting() { sed -i "s|name=\"$1\" value=\"[^\"]*\"|name=\"$1\" value=\"$2\"|" "$settings"; }
    set_setting DOWNLOAD_SERVER_URL "$server_url"
    set_setting RT_API_URL "$rt_url"
    set_setting RT_LICENSE "$demo_key"
}

# What the simulator showed (trace $3), against the scenario shifted by the play-out delay;
# further arguments go to the trace check. Returns the check's status.
demo_trace_check() {
    local host_build=$1 run_dir=$2 trace=$3 replay replay_second replay_epoch
    shift 3
    replay=$(sed -n 's|^replay: scenario second \([0-9.]*\) is Unix time \([0-9.]*\)$|\1 \2|p' "$run_dir/rt-server.log")
    read -r replay_second replay_epoch <<<"$replay"
    "$host_build/tools/trace/vorl-trace-check" --scenario "$host_build/scenarios/EHAM.jsonl" --trace "$trace" \
        --replay-second "$replay_second" --replay-epoch "$replay_epoch" \
        --stands "$run_dir/server/MSFS/archive/stock/EHAM.xml" "$@"
}

# What the run did, from the program's own log $1.
demo_summary() {
    local log=$1 run_dir=$2 seconds=$3
    count() { grep -c -E "$1" "$log" || true; }
    echo
    echo "demo summary ($seconds s)"
    sed -n 's/^\([0-9]*\) live aircraft created, \([0-9]*\) removed$/  live aircraft created \1, removed \2/p' "$log"
    sed -n 's/^\([0-9]*\) static aircraft placed at \(.*\)$/  static aircraft placed at \2: \1/p' "$log"
    echo "  live aircraft parked at a stand: $(count ': .* (arrived at stand|parks)$'), left a stand: $(count 'pulling out|pushing back')"
    echo "  liveries matched at step 0..6: $(sed -n '/^Matches at step: $/,/^$/p' "$log" | sed -n 's/^  \([0-9]\): \([0-9]*\)$/\2/p' | paste -sd' ')"
    # The livery scan reports the broken files the sample packages hold on purpose under "Errors:".
    echo "  add-on airports scanned: $(count '^Generated ') airport files written, $(count ' linked to ') linked to the archive, tblo.zip $([ -f "$run_dir/tblo/tblo.zip" ] && echo "written for the maker" || echo "not needed")"
    echo "  error lines in the log: $(grep -E 'Error|error' "$log" | grep -c -v '^Errors:$' || true)"
    echo "  trace check: $(head -n 1 "$run_dir/trace-check.txt" 2>/dev/null)"
}
