#!/bin/sh
# Runs every fuzz target of fuzz/ for a while on its seed corpus, under AddressSanitizer and
# UndefinedBehaviorSanitizer (make fuzz-ci: 30 s each, make fuzz-long: 10 minutes each).
#
#   sh fuzz/run.sh FUZZ_BUILD_FOLDER SECONDS_PER_TARGET
#
# Seeds: what pellora-fuzz-seeds writes for the target (SNMP replies, printer payloads), fuzz/seeds/TARGET/
# when it exists, and the inputs of the hostile corpus and string-table sources
# that the target reads. The corpora grow in FUZZ_BUILD_FOLDER/fuzz/runs/, findings (crashes, leaks,
# time-outs, sanitizer reports) land in FUZZ_BUILD_FOLDER/fuzz/runs/findings/ and fail the run.
set -e
BUILD=$(cd "${1:?usage: run.sh FUZZ_BUILD_FOLDER SECONDS}" && pwd)
SECONDS_EACH=${2:-30}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
HOSTILE=$ROOT/tests/data/hostile
RUNS=$BUILD/fuzz/runs
MAX_SEED=262144
rm -rf "$RUNS"
mkdir -p "$RUNS/findings"

# Copies the corpus files matching the patterns into folder; ".gz" files are expanded, large ones left out.
take() {
    folder=$1
    shift
    for file in "$@"; do
        [ -f "$file" ] || continue
        name=$(basename "$file" .gz)
        case "$file" in
        *.gz) gzip -dc "$file" > "$folder/$name" ;;
        *) cp "$file" "$folder/$name" ;;
        esac
        [ "$(stat -c %s "$folder/$name")" -le "$MAX_SEED" ] || rm -f "$folder/$name"
    done
}

seed() {
    target=$1
    folder=$2
    take "$folder" "$RUNS/seeds/$target"/* "$ROOT/fuzz/seeds/$target"/*
    case "$target" in
    ZipExtractFuzz) take "$folder" "$HOSTILE"/*.dat "$HOSTILE"/*.dat.gz ;;
    PackageHeaderFuzz) take "$folder" "$HOSTILE"/*.exe "$HOSTILE"/*.exe.gz ;;
    ScriptReaderFuzz | ProfileFuzz | InstallerTemplateFuzz)
        take "$folder" "$HOSTILE"/*.qst "$HOSTILE"/*.qsm "$HOSTILE"/*.qst.gz ;;
    StringTableFuzz) take "$folder" "$ROOT"/resources/strings/TSST*.txt "$ROOT"/resources/strings/*/*.txt ;;
    esac
}

status=0
"$BUILD/fuzz/pellora-fuzz-seeds" "$RUNS/seeds" || status=1
printf "%-24s %12s %8s %8s\n" target runs "exec/s" corpus
for source in "$ROOT"/fuzz/*Fuzz.cpp; do
    target=$(basename "$source" .cpp)
    if [ ! -x "$BUILD/fuzz/$target" ]; then
        echo "$target: not built in $BUILD" >&2
        status=1
        continue
    fi
    corpus=$RUNS/$target
    mkdir -p "$corpus"
    seed "$target" "$corpus"
    log=$RUNS/$target.log
    if ! (cd "$RUNS" && "$BUILD/fuzz/$target" -max_total_time="$SECONDS_EACH" -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$RUNS/findings/$target-" "$corpus" > "$log" 2>&1); then
        status=1
        echo "== $target found a fault; the end of $log:" >&2
        tail -40 "$log" >&2
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    printf "%-24s %12s %8s %8s\n" "$target" "${runs:-?}" "${speed:-?}" "$(ls "$corpus" | wc -l)"
done
exit $status
