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
pellora=$(python3 -c "import json,sys; d=json.load(open(sys.argv[1])); \
print([b for b in d['benchmarks'] if b['name'].endswith('_median')][0]['real_time']/1000)" "$OUT/script.json")
python_s=$(python3 "$(dirname "$0")/configparser_compare.py" "$OUT/script.qst" 5)
rss_kb=$(cat "$OUT/rss")
python3 - "$pellora" "$python_s" "$rss_kb" <<'PY'
import sys
pellora, python_s, rss_kb = float(sys.argv[1]), float(sys.argv[2]), int(sys.argv[3])
print(f"pellora   {pellora*1000:9.1f} ms (median of 5)")
print(f"configparser {python_s*1000:6.1f} ms (median of 5)")
print(f"speed-up  {python_s/pellora:9.1f} x (target >= 5)")
print(f"peak RSS  {rss_kb/1024:9.1f} MB (target < 64)")
PY

for extra in "$(dirname "$0")"/run-*.sh; do
    [ -f "$extra" ] && sh "$extra" "$BUILD"
done
