#!/usr/bin/env bash
# Runs every benchmark and prints one table: what was measured, the figure, its unit and the
# target it is held against. The raw output of each benchmark stays in BUILD/bench-output/.
# LIVE_SECONDS sets the paced run of the live-aircraft benchmark (default 60).
set -euo pipefail
build_dir=${1:-build}
out="$build_dir/bench-output"
mkdir -p "$out"
shopt -s nullglob

# Targets of the figures that have one (benchmark name -> target text).
declare -A target=(
  [BM_AllReferenceData]="< 1000 ms"
  [BM_FullPlan400Stands]="< 100 ms"
  [BM_SendPositions/1000]="about 1 ms (a frame is 33 ms)"
  [BM_Scan/40]="seconds, not minutes"
  [BM_AirportScan5000Bgl/iterations:3]="seconds, not minutes"
  ["airport scan / reading its bytes"]="a small multiple"
  ["live cycle cost (mean)"]="< 500 us"
  ["live lateness p99.9"]="< 2 ms"
)

rows=()
for b in "$build_dir"/bench/*/vorl-bench-*; do
  [ -x "$b" ] || continue
  name=$(basename "$b")
  if [ "$name" = vorl-bench-live ]; then
    "$b" --seconds "${LIVE_SECONDS:-60}" | tee "$out/$name.txt" >/dev/null
    cost=$(sed -n 's/^cycle cost: mean \([0-9.]*\) us.*/\1/p' "$out/$name.txt")
    late=$(sed -n 's/^paced [0-9]* s with 1000 aircraft: .* p99.9 \([0-9.]*\) ms.*/\1/p' "$out/$name.txt")
    idle=$(sed -n 's/^paced [0-9]* s without work: .* p99.9 \([0-9.]*\) ms.*/\1/p' "$out/$name.txt")
    rows+=("live cycle cost (mean)|$cost|us")
    rows+=("live lateness p99.9|$late|ms")
    rows+=("pacing lateness p99.9 without work|$idle|ms")
    continue
  fi
  "$b" --benchmark_format=console --benchmark_color=false 2>/dev/null >"$out/$name.txt"
  # Console rows: name, wall time, unit, CPU time, unit, iterations, counters.
  while read -r bench real unit _; do
    rows+=("$bench|$real|$unit")
  done < <(grep -E '^BM_' "$out/$name.txt")
  ratio=$(sed -n 's/^BM_AirportScan.*x_read_bytes=\([0-9.]*\).*/\1/p' "$out/$name.txt")
  if [ -n "$ratio" ]; then rows+=("airport scan / reading its bytes|$ratio|x"); fi
done

printf '%-40s %12s %-4s %s\n' "measured" "value" "unit" "target"
for row in "${rows[@]}"; do
  IFS='|' read -r what value unit <<<"$row"
  printf '%-40s %12.3f %-4s %s\n' "$what" "$value" "$unit" "${target[$what]:-}"
done
