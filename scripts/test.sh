#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal
# build with warnings as errors, once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/utf8.sh
. scripts/packages.sh
# shellcheck disable=SC2086
install_packages $BUILD_PACKAGES $RUN_PACKAGES $TEST_PACKAGES

jobs=$(nproc)
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMAR_WERROR=ON >/dev/null
cmake --build build-test -j"$jobs"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMAR_WERROR=ON -DVELMAR_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"

# With VELMAR_TEST_LOAD=N (CI: 2), N workers of stress-ng keep the cores busy
# while the normal build's tests run: a bell must ring on a busy PC too.
load=""
start_load() {
    [ "${VELMAR_TEST_LOAD:-0}" -gt 0 ] || return 0
    setsid stress-ng --cpu "$VELMAR_TEST_LOAD" --quiet >/dev/null 2>&1 &
    load=$!
}
stop_load() {
    if [ -n "$load" ]; then
        kill -- -"$load" 2>/dev/null || true
        wait "$load" 2>/dev/null || true
    fi
    load=""
}
trap stop_load EXIT

status=0
# The deliberate faults (tests/mutants.sh, a build per fault) are run apart: ctest -L mutants.
start_load
scripts/with-test-services.sh ctest --test-dir build-test --output-on-failure -j"$jobs" -LE mutants \
    -E "^tst_outputs_rig$" || status=1
# The output rig loads and unloads sinks of the sound server: alone.
scripts/with-test-services.sh ctest --test-dir build-test --output-on-failure \
    -R "^tst_outputs_rig$" || status=1
# The sound tests once more on PipeWire, as Debian 12's GNOME plays.
VELMAR_SOUND_SERVER=pipewire scripts/with-test-services.sh \
    ctest --test-dir build-test --output-on-failure -R "^(tst_mixer|tst_player|tst_outputs_rig|e2e_bell)$" \
    || status=1
stop_load
ASAN_OPTIONS="detect_leaks=1:abort_on_error=0" \
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    scripts/with-test-services.sh ctest --test-dir build-asan --output-on-failure -j"$jobs" -L unit || status=1
# Hostile input: each fuzz target's seeds once, then 30 s of fuzzing each.
# shellcheck disable=SC2086
install_packages $FUZZ_PACKAGES
tests/fuzz/run.sh 30 || status=1
exit $status
