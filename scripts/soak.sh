#!/usr/bin/env bash
# The soak run: the demo set-up for SOAK_SECONDS (default 3600) of real time (the stand-ins'
# scenario loops, so traffic never runs out), the program's resident memory sampled every 10 s.
# Prints the memory at the end of the warm-up (the first 10 minutes, or a sixth of a shorter
# run) and at the end, and the growth between them. Target: no growth after the warm-up.
set -euo pipefail
build_dir=${1:-build}
run_dir=${2:-demo/soak}
seconds=${SOAK_SECONDS:-3600}
mkdir -p "$run_dir"
rss_log="$(readlink -f "$run_dir")/rss.txt"
DEMO_SECONDS=$seconds DEMO_RSS_LOG=$rss_log bash "$(dirname "$0")/demo.sh" "$build_dir" "$run_dir/run" >"$run_dir/demo.txt"
warm=$(( seconds < 3600 ? seconds / 6 : 600 ))
awk -v warm="$warm" '
    $1 >= warm && !seen { seen = 1; start = $2; startT = $1 }
    { last = $2; lastT = $1; if ($2 > peak) peak = $2 }
    END {
        if (!seen) { print "soak: too few samples"; exit 1 }
        printf "soak %d s: RSS %.1f MB after the warm-up (%d s), %.1f MB at the end (%d s), peak %.1f MB\n", lastT, start / 1024, startT, last / 1024, lastT, peak / 1024
        printf "growth after the warm-up: %.1f MB (%.2f MB per hour)\n", (last - start) / 1024, (last - start) / 1024 * 3600 / (lastT - startT)
    }' "$rss_log"
tail -n 12 "$run_dir/demo.txt"
