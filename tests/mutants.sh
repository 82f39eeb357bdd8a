#!/usr/bin/env bash
# Deliberate faults the tests must catch. Each fault is applied alone to a
# copy of the sources, the copy is built again (incrementally, through
# ccache) and the school year and the unit tests run on it; a fault that
# no test notices is a hole in the tests. A fault whose text is no longer
# found in the sources fails the script: it proves nothing until mended.
#
#   tests/mutants.sh SOURCE_DIR WORK_DIR     (CTest: ctest -L mutants)
#
# MUTANTS_ONLY="a c" runs only those faults. The unit tests run for a fault
# the year let through, or for every fault with MUTANTS_ALL=1.
set -uo pipefail
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/../scripts/utf8.sh"

[ $# -eq 2 ] || { echo "usage: $0 SOURCE_DIR WORK_DIR" >&2; exit 2; }
src=$(cd "$1" && pwd) || exit 2
work=$(mkdir -p "$2" && cd "$2" && pwd) || exit 2
tree=$work/tree
build=$tree/build
logs=$work/logs
started=$(date +%s)
mkdir -p "$tree" "$logs"

say() { printf '%s\n' "$*"; }
elapsed() { echo "$(($(date +%s) - started)) s"; }

# The copy: mtimes are kept, so only what changed is built again.
copy_sources() {
    local exclude=()
    case "$work" in "$src"/*) exclude=(--exclude="./${work#"$src"/}") ;; esac
    (cd "$src" && tar --exclude='./build*' --exclude=./.git "${exclude[@]}" -cf - .) |
        (cd "$tree" && tar -xf -)
}

# Builds the given targets of the copy, into the log named first.
build_copy() {
    local log=$1
    shift
    if [ ! -f "$build/CMakeCache.txt" ]; then
        # ccache (scripts/test.sh installs it) keeps a build per fault short;
        # without it each is built in full, slowly but the same.
        local launcher=()
        command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMAR_WERROR=ON \
            "${launcher[@]}" >"$logs/configure.log" 2>&1 || return 1
    fi
    cmake --build "$build" -j"${MUTANTS_JOBS:-2}" --target "$@" >>"$log" 2>&1
}

# The programs of the unit tests (the scripts among them need none).
unit_targets() {
    ctest --test-dir "$build" -N -L unit | sed -n 's/^ *Test *#[0-9]*: \(tst_[a-z_]*\)$/\1/p'
}

# Runs the year, then (if the year passed, or always with MUTANTS_ALL=1, or
# for the unchanged copy) the unit tests; prints the names of those that failed.
failing_tests() {
    local log=$1 all=${2:-${MUTANTS_ALL:-0}}
    : >"$log"
    ctest --test-dir "$build" -R '^tst_year$' --output-on-failure >>"$log" 2>&1
    if [ "$all" = 1 ] || ! grep -q 'tests FAILED' "$log"; then
        # shellcheck disable=SC2046
        build_copy "$log" velmar-dorl $(unit_targets) || {
            echo "unbuilt"
            return
        }
        ctest --test-dir "$build" -L unit --output-on-failure -j"${MUTANTS_JOBS:-2}" >>"$log" 2>&1
    fi
    sed -n 's/^[[:space:]]*[0-9]\+ - \([^ ]*\) (.*)$/\1/p' "$log" | sort -u | tr '\n' ' '
}

# Replaces the one occurrence of OLD by NEW in FILE; fails when OLD is not
# found exactly once.
apply() {
    OLD=$2 NEW=$3 perl -0777 -i -pe '
        BEGIN { $old = $ENV{OLD}; $new = $ENV{NEW}; }
        $n = () = /\Q$old\E/g;
        if ($n != 1) { $bad = $n; } else { s/\Q$old\E/$new/; }
        END { exit 3 if defined $bad; }' "$tree/$1"
}

names=() descriptions=() files=() olds=() news=()
mutant() { names+=("$1") descriptions+=("$2") files+=("$3") olds+=("$4") news+=("$5"); }

mutant a "the wake-up computed from the weekday's default table, not the day's chosen one" \
    src/core/BellCalendar.cpp \
    $'const QDate date = now.date().addDays(offset);\n        const auto bells = daySpan(values, plan, date);' \
    $'const QDate date = now.date().addDays(offset);\n        const auto bells = span(values, ((void)plan, date.dayOfWeek() >= 6 ? 1 : 0));'
mutant b "Cumhuriyet Bayramı on 30 Ekim instead of 29" \
    src/core/HolidayDates.cpp \
    '{10, 29, "Cumhuriyet Bayramı"}' \
    '{10, 30, "Cumhuriyet Bayramı"}'
mutant c "on Mondays the wake-up 10 minutes after the first bell" \
    src/core/BellCalendar.cpp \
    '.addSecs(-60 * kWakeLeadMinutes);' \
    '.addSecs(date.dayOfWeek() == 1 ? 600 : -60 * kWakeLeadMinutes);'
mutant d "every day the wake-up 10 minutes after the first bell" \
    src/core/BellCalendar.cpp \
    '.addSecs(-60 * kWakeLeadMinutes);' \
    '.addSecs(600);'
mutant e "the late-bell window 3 minutes instead of 2" \
    src/core/BellScheduler.h \
    'kLateMinutes = 2;' \
    'kLateMinutes = 3;'
mutant f "the hold let go while the day's last sound still plays" \
    src/core/SchoolDay.cpp \
    'if (playback_.playing() || countingDown_) {' \
    'if (countingDown_) {'
mutant g "a date's table loses to the weekday's choice" \
    src/core/DayPlan.cpp \
    'return dateChoice(date).value_or(weekdayChoice(date.dayOfWeek()));' \
    'return dateChoice(date) == NoBells ? NoBells : weekdayChoice(date.dayOfWeek());'
mutant h "a clock set back by 1 minute rings its bell again" \
    src/core/BellScheduler.cpp \
    'minute < lastPassed_ - kLateMinutes)' \
    'minute < lastPassed_)'
mutant i "the master level not restored when the session ends the program (SIGTERM)" \
    src/gui/MainWindow.cpp \
    $'    restoreMasterLevel();\n    schoolDay_.end();' \
    $'    schoolDay_.end();'
mutant j "each bayram a day late" \
    src/core/LunarHolidays.cpp \
    'gregorianOf(*hijri, h, feast.month, feast.firstDay);' \
    'gregorianOf(*hijri, h, feast.month, feast.firstDay + 1);'
mutant k "an eve's afternoon off from 14:00 instead of 13:00" \
    src/core/HolidayDates.h \
    'kHalfDayFromMinute = 13 * 60;' \
    'kHalfDayFromMinute = 14 * 60;'
mutant l "the tabular Islamic calendar instead of Umm al-Qura" \
    src/core/LunarHolidays.cpp \
    'calendar=islamic-umalqura' \
    'calendar=islamic-civil'
mutant m "10 Kasım's siren at 09:06" \
    src/core/CeremonyPlan.h \
    'kRemembranceMinute = 9 * 60 + 5;' \
    'kRemembranceMinute = 9 * 60 + 6;'
mutant n "the week's first ceremony on Monday, holiday or not" \
    src/core/CeremonyPlan.cpp \
    $'    const QDate monday = mondayOf(date);\n    for (int d = 0; d < 7; ++d) {\n        if (isSchoolDay(plan, monday.addDays(d)))\n            return monday.addDays(d);' \
    $'    const QDate monday = mondayOf(date);\n    for (int d = 0; d < 7; ++d) {\n        if (d == 0 || isSchoolDay(plan, monday.addDays(d)))\n            return monday.addDays(d);'

say "mutants: copying $src to $tree"
copy_sources
# A run cut short left a fault in a file whose object is newer than the
# original copied back: that file is built again.
if [ -f "$work/applied" ]; then
    touch "$tree/$(cat "$work/applied")"
    rm -f "$work/applied"
fi
rm -f "$logs"/*.log
if ! build_copy "$logs/build-base.log" tst_year; then
    say "mutants: the unchanged copy does not build (see $logs/build-base.log)"
    exit 1
fi
base=$(failing_tests "$logs/tests-base.log" 1)
if [ -n "$base" ]; then
    say "mutants: the unchanged copy fails: $base(see $logs/tests-base.log)"
    exit 1
fi
say "mutants: the unchanged copy passes ($(elapsed))"

caught=0 total=0 status=0
for index in "${!names[@]}"; do
    name=${names[$index]} file=${files[$index]}
    case " ${MUTANTS_ONLY:-${names[*]}} " in *" $name "*) ;; *) continue ;; esac
    total=$((total + 1))
    original=$(mktemp)
    cp "$tree/$file" "$original"
    printf '%s\n' "$file" >"$work/applied"
    if ! apply "$file" "${olds[$index]}" "${news[$index]}"; then
        say "mutant $name (${descriptions[$index]}): DOES NOT APPLY to $file"
        status=1
    elif ! build_copy "$logs/build-$name.log" tst_year; then
        say "mutant $name (${descriptions[$index]}): DOES NOT BUILD (see $logs/build-$name.log)"
        status=1
    else
        catchers=$(failing_tests "$logs/tests-$name.log")
        if [ "$catchers" = unbuilt ]; then
            say "mutant $name (${descriptions[$index]}): the unit tests DO NOT BUILD (see $logs/tests-$name.log)"
            status=1
        elif [ -n "$catchers" ]; then
            caught=$((caught + 1))
            say "mutant $name (${descriptions[$index]}): caught by ${catchers% }"
        else
            say "mutant $name (${descriptions[$index]}): NOT CAUGHT"
            status=1
        fi
    fi
    # Back to the original text, with a new mtime so that it is built again.
    cat "$original" >"$tree/$file"
    rm -f "$original" "$work/applied"
done
build_copy "$logs/build-restored.log" tst_year || status=1

say "mutants: $caught of $total caught"
say "mutants: total time $(elapsed)"
exit $status
