#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz), replays each seed
# corpus in tests/fuzz/corpus, then fuzzes each target for SECONDS (default
# 60) and prints, per target: executions, corpus size, new inputs kept and
# crashes. Exit 1 on any crash, hang (an input over 10 s), sanitizer report,
# leak or memory over 1 GB; the input that did it is left in
# build-fuzz/findings/. New inputs go to build-fuzz/work/TARGET, never into
# the repository's corpus.
#   tests/fuzz/run.sh [SECONDS] [TARGET...]     TARGET: settings backup timecell signal
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
. scripts/utf8.sh
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings backup timecell signal)
started=$(date +%s)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -DVELMAR_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null || exit 1
cmake --build build-fuzz -j"$(nproc)" --target fuzz_all >/dev/null || exit 1
echo "fuzz: built in $(($(date +%s) - started)) s"

export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
common=(-timeout=10 -rss_limit_mb=1024 -print_final_stats=1)
mkdir -p build-fuzz/findings
status=0
report=()
for t in "${targets[@]}"; do
    binary=build-fuzz/tests/fuzz/fuzz_$t
    seeds=tests/fuzz/corpus/$t
    work=build-fuzz/work/$t
    log=build-fuzz/fuzz_$t.log
    options=("${common[@]}" -artifact_prefix="build-fuzz/findings/$t-")
    case $t in settings | backup) options+=(-dict=tests/fuzz/ini.dict) ;; esac
    rm -rf "$work" && mkdir -p "$work"
    crashes=0
    # Every seed once: the regressions stay mended.
    if ! "$binary" "${options[@]}" "$seeds"/* >"$log" 2>&1; then
        crashes=1
        echo "fuzz_$t: a seed input fails, see $log"
        grep -E "^Running|ERROR|fuzz check failed|runtime error" "$log" | tail -3
    # Qt keeps a little from one input to the next (parsed settings files,
    # timer tables), so libFuzzer would scan for leaks after nearly every
    # input, at a tenth of the speed: while fuzzing, leaks are looked for
    # once, at the end of the run.
    elif ! "$binary" "${options[@]}" -detect_leaks=0 -max_total_time="$seconds" "$work" "$seeds" >"$log" 2>&1; then
        crashes=1
        echo "fuzz_$t: see $log and build-fuzz/findings/"
        grep -m3 -E "ERROR|fuzz check failed|runtime error" "$log"
    fi
    [ $crashes -eq 0 ] || status=1
    runs=$(grep -oE '^stat::number_of_executed_units: [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+$')
    corpus=$(grep -oE 'corp: [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+$')
    kept=$(find "$work" -type f | wc -l)
    report+=("$(printf '%-14s %11s %7s %5s %7s' "fuzz_$t" "${runs:-?}" "${corpus:-?}" "$kept" "$crashes")")
done
printf '%-14s %11s %7s %5s %7s\n' target executions corpus new crashes
printf '%s\n' "${report[@]}"
echo "fuzz: ${seconds} s per target, $(($(date +%s) - started)) s in all"
exit $status
