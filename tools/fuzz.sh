#!/usr/bin/env bash
# Long fuzzing runs of every parser, for as long as wanted:
#
#   tools/fuzz.sh [--runs N | --seconds S] [--jobs J] [TARGET...]
#   tools/fuzz.sh --report [TARGET...]
#
# Builds the fuzz targets (clang, ASan, UBSan) into build-sanitize unless VORN_SANITIZE_BUILD_DIR
# names another folder, then runs each target from its committed seeds plus the corpus it grew
# before (kept in the build folder), J targets at a time (default: the number of cores). Prints,
# for each target, the executions, the seconds, the coverage (edges and features) and the corpus
# size, and any finding with the file that reproduces it. Exit status 1 when anything was found.
# --report prints that table again from the last runs' logs, without running anything.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VORN_SANITIZE_BUILD_DIR:-$root/build-sanitize}
limit=(-max_total_time=600)
jobs=$(nproc)
report_only=false
targets=()
while [ $# -gt 0 ]; do
    case $1 in
    --runs) limit=(-runs="$2"); shift 2 ;;
    --seconds) limit=(-max_total_time="$2"); shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --report) report_only=true; shift ;;
    -h | --help) sed -n '2,10s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
    esac
done

[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(cd "$root/tests/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')

# The dictionary and the longest input of each target, as the test run has them.
settings() {
    sed -n "s/^vorn_fuzz_target($1 \([^ ]*\) \([0-9]*\))$/-dict=$(printf '%s' "$root/tests/fuzz/" | sed 's/[\/&]/\\&/g')\1 -max_len=\2/p" \
        "$root/tests/fuzz/CMakeLists.txt"
}

run_one() {
    local name=$1 work="$build/tests/fuzz/corpus/$1" log="$build/tests/fuzz/$1.log"
    mkdir -p "$work"
    # shellcheck disable=SC2046
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$build/tests/fuzz/$name" $(settings "$name") "${limit[@]}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/tests/fuzz/finding-$name-" \
        "$work" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1
}

status=0
if ! $report_only; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DVORN_FUZZ=ON -DBUILD_TESTING=ON >/dev/null
    cmake --build "$build" --target fuzz_targets
    # A slot is refilled as soon as any target ends.
    running=0
    for name in "${targets[@]}"; do
        if [ "$running" -ge "$jobs" ]; then
            wait -n || status=1
            running=$((running - 1))
        fi
        run_one "$name" &
        running=$((running + 1))
    done
    while [ "$running" -gt 0 ]; do
        wait -n || status=1
        running=$((running - 1))
    done
fi

printf '%-22s %14s %8s %8s %8s %8s\n' target executions seconds edges features corpus
for name in "${targets[@]}"; do
    log="$build/tests/fuzz/$name.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*' "$log" | tail -1)
    read -r _ edges _ features _ corpus <<<"$cov"
    printf '%-22s %14s %8s %8s %8s %8s\n' "$name" "${runs:-?}" "${seconds:-?}" "${edges:-?}" \
        "${features:-?}" "${corpus:-?}"
    if grep -q '^==[0-9]*==ERROR\|^SUMMARY: ' "$log"; then
        echo "  FINDING: see $log and $build/tests/fuzz/finding-$name-*"
        status=1
    fi
done
exit $status
