#!/bin/sh
# Runs the benchmarks of a Release build folder and compares them with their reference tools.
set -e
BUILD=${1:-build-bench}
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
export PELLORA_BENCH_OUT="$OUT"

echo "== install script: write + verify 1,000 printers, read every key back"
/usr/bin/time -f "%M" -o "$OUT/rss" "$BUILD/bench/ScriptBench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=json > "$OUT/script.json"
python_s=$(python3 "$(dirname "$0")/configparser_compare.py" "$OUT/script.qst" 5)
python3 - "$OUT/script.json" "$python_s" "$(cat "$OUT/rss")" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
median = [b for b in runs if b["name"].endswith("_median")][0]
wall, cpu = median["real_time"] / 1000, median["cpu_time"] / 1000
py_wall, py_cpu = (float(x) for x in sys.argv[2].split())
rss_kb = int(sys.argv[3])
print(f"pellora       {wall*1000:8.1f} ms wall {cpu*1000:8.1f} ms CPU (median of 5)")
print(f"configparser  {py_wall*1000:8.1f} ms wall {py_cpu*1000:8.1f} ms CPU (median of 5)")
print(f"speed-up      {py_wall/wall:8.1f} x wall {py_cpu/cpu:8.1f} x CPU (target >= 5)")
print(f"peak RSS      {rss_kb/1024:8.1f} MB (target < 64)")
PY

for extra in "$(dirname "$0")"/run-*.sh; do
    [ -f "$extra" ] && sh "$extra" "$BUILD"
done
