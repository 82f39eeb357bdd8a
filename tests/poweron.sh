#!/usr/bin/env bash
# shellcheck disable=SC2028,SC2015,SC2016 # units' names with literal \x escapes; "check && check || fail"; stand-ins written in single quotes
# The power-on service's script (data/velmar-dorl-poweron) at shutdown, with a
# stand-in systemctl (the jobs queued and the wake-up timers loaded), a
# stand-in rtcwake and an RTC folder of its own.
# Usage: poweron.sh SOURCE_DIR
set -uo pipefail
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/../scripts/utf8.sh"
script="$1/data/velmar-dorl-poweron"
fail() { echo "FAIL: $*"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/bin" "$tmp/rtc0"

# systemctl: list-jobs prints $tmp/jobs, list-units $tmp/units (fails if
# $tmp/units.fail exists).
cat >"$tmp/bin/systemctl" <<'EOF'
#!/bin/bash
case "$1" in
list-jobs) cat "$FAKE/jobs" ;;
list-units) [ -e "$FAKE/units.fail" ] && { echo "Failed to connect to bus" >&2; exit 1; }
    cat "$FAKE/units" ;;
*) exit 1 ;;
esac
EOF
# rtcwake as util-linux's: -t takes seconds since the epoch, and for an RTC
# kept in local time ($FAKE/adjtime says LOCAL) the kernel's wakealarm then
# shows the local wall time counted as if it were UTC.
cat >"$tmp/bin/rtcwake" <<'EOF'
#!/bin/bash
echo "$*" >>"$FAKE/rtcwake.calls"
mode="" t=""
while [ $# -gt 0 ]; do
    case "$1" in -m) mode=$2; shift ;; -t) t=$2; shift ;; esac
    shift
done
case "$mode" in
no) [ -n "$t" ] || exit 1
    # An RTC that takes alarms up to $FAKE/ahead seconds ahead only.
    if [ -s "$FAKE/ahead" ] && [ $((t - $(date +%s))) -gt "$(cat "$FAKE/ahead")" ]; then
        echo "rtcwake: set rtc wake alarm failed: Invalid argument" >&2
        exit 1
    fi
    if [ "$(sed -n 3p "$FAKE/adjtime" 2>/dev/null)" = LOCAL ]; then
        t=$(date -u -d "$(date -d "@$t" '+%Y-%m-%d %H:%M:%S')" +%s)
    fi
    echo "$t" >"$VELMAR_RTC/wakealarm" ;;
disable) : >"$VELMAR_RTC/wakealarm" ;;
*) exit 1 ;;
esac
EOF
chmod +x "$tmp/bin/systemctl" "$tmp/bin/rtcwake"
export FAKE="$tmp" VELMAR_RTC="$tmp/rtc0" VELMAR_STATE="$tmp/state" PATH="$tmp/bin:$PATH"
export TZ=Europe/Istanbul

poweroff=' 912 poweroff.target                     start waiting'
reboot=' 913 reboot.target                       start waiting'
timer() { echo "velmar-dorl-wake@$1.timer loaded $2 ${3:-waiting} Velmar Dorl: wake the PC"; }
# Unit names as the program makes them.
name() { systemd-escape "$1" 2>/dev/null || sed 's/-/\\x2d/g; s/ /\\x20/g' <<<"$1"; }
# Seconds since the epoch of a local time here.
at() { date -d "$1" +%s; }
shutdown() { # JOBS: runs the script, its output in $out
    printf '%s\n' "$1" >"$tmp/jobs"
    out=$("$script" 2>&1)
    rc=$?
}
alarm() { cat "$tmp/rtc0/wakealarm" 2>/dev/null; }
reset() { rm -rf "$tmp/state" "$tmp/rtcwake.calls" "$tmp/units.fail" "$tmp/adjtime"; : >"$tmp/rtc0/wakealarm"; }

# The times are in 2099, ahead of any clock this runs on; one is past.
reset
{
    timer "$(name '2099-01-05 08:05:00')" active
    timer "$(name '2020-01-01 08:05:00')" active elapsed       # past
    timer "$(name '2099-01-04 08:05:00')" active
    timer "$(name '2099-01-03 08:05:00')" inactive dead          # stopped by the program
    timer "$(name '2099-02-30 08:05:00')" active                 # no such day
    timer 'tomorrow' active                                      # not the program's form
    timer "$(name '2099-01-04 08:05:00')x" active
    echo "● velmar-dorl-wake@2099\\x2d01\\x2d02\\x2007\\x3a00\\x3a00.timer not-found inactive dead velmar-dorl-wake@….timer"
} >"$tmp/units"
shutdown "$poweroff"
[ "$rc" = 0 ] || fail "power-off: status $rc: $out"
[ "$(alarm)" = "$(at '2099-01-04 08:05:00')" ] || fail "power-off: alarm $(alarm), not 2099-01-04 08:05 (RTC in UTC): $out"
grep -q '2099-01-04 08:05:00 +03 için açılacak' <<<"$out" || fail "power-off: the log does not say which alarm: $out"
grep -q 'Geçersiz uyanma adı geçildi: velmar-dorl-wake@tomorrow.timer' <<<"$out" || fail "malformed name not logged: $out"

# A halt powers off on most PCs too; the timers listed as systemd lists them
# during the shutdown (with a job column) and the colons escaped.
reset
printf '0.0 0 0.0\n0\nLOCAL\n' >"$tmp/adjtime"
echo "velmar-dorl-wake@2099\\x2d01\\x2d04\\x2008\\x3a05\\x3a00.timer loaded active waiting stop waiting Velmar Dorl" >"$tmp/units"
shutdown ' 77 halt.target start waiting'
# The RTC in local time: the kernel shows 08:05 counted as UTC.
[ "$(alarm)" = "$(date -u -d '2099-01-04 08:05:00' +%s)" ] || fail "halt, RTC in local time: alarm $(alarm): $out"
grep -q -- "-m no -t $(at '2099-01-04 08:05:00')" "$tmp/rtcwake.calls" || fail "rtcwake not given the epoch: $(cat "$tmp/rtcwake.calls")"

# A reboot, or the service stopped by hand or by the package: nothing touched.
for jobs in "$reboot" ' 5 kexec.target start waiting' '' ' 6 poweroff.target stop waiting'; do
    reset
    echo 4070000000 >"$tmp/rtc0/wakealarm"
    timer "$(name '2099-01-04 08:05:00')" active >"$tmp/units"
    shutdown "$jobs"
    [ "$rc" = 0 ] && [ "$(alarm)" = 4070000000 ] && [ ! -e "$tmp/rtcwake.calls" ] ||
        fail "jobs '$jobs': alarm $(alarm), rtcwake $(cat "$tmp/rtcwake.calls" 2>/dev/null): $out"
done

# Nothing pending at the next power-off: the alarm set here goes.
reset
timer "$(name '2099-01-04 08:05:00')" active >"$tmp/units"
shutdown "$poweroff"
[ -n "$(alarm)" ] || fail "no alarm set"
for units in "$(timer "$(name '2099-01-04 08:05:00')" inactive dead)" "$(timer "$(name '2020-01-04 08:05:00')" active elapsed)" ""; do
    printf '%s\n' "$units" >"$tmp/units"
    shutdown "$poweroff"
    [ "$rc" = 0 ] && [ -z "$(alarm)" ] || fail "none pending ($units): alarm $(alarm) left: $out"
    grep -q 'kurulan RTC alarmı kaldırıldı\|zaten yok' <<<"$out" || fail "clearing not logged: $out"
    # Set again for the next round.
    timer "$(name '2099-01-04 08:05:00')" active >"$tmp/units"
    shutdown "$poweroff"
done

# ... but not one someone else set since, nor one never set here.
echo 4080000000 >"$tmp/rtc0/wakealarm"
: >"$tmp/units"
shutdown "$poweroff"
[ "$(alarm)" = 4080000000 ] || fail "someone else's alarm cleared: $out"
reset
echo 4080000000 >"$tmp/rtc0/wakealarm"
shutdown "$poweroff"
[ "$(alarm)" = 4080000000 ] && [ ! -e "$tmp/rtcwake.calls" ] || fail "an alarm never set here cleared: $out"

# The timers cannot be read: the alarm set here stays, and the log says why.
timer "$(name '2099-01-04 08:05:00')" active >"$tmp/units"
shutdown "$poweroff"
touch "$tmp/units.fail"
shutdown "$poweroff"
[ "$rc" != 0 ] && [ "$(alarm)" = "$(at '2099-01-04 08:05:00')" ] || fail "unreadable timers: alarm $(alarm): $out"
grep -q 'okunamadı' <<<"$out" || fail "unreadable timers not logged: $out"

# An RTC without a day alarm (a day ahead at most): three days ahead is set as
# the same time of the last day it takes, and logged so; one without a month
# alarm the same for a wake-up after a summer's holiday.
for ahead in 86400 $((28 * 86400)); do
    reset
    echo "$ahead" >"$tmp/ahead"
    # Half a day away from the time of day now: the edge of what the RTC takes
    # is never a matter of seconds.
    days=80
    [ "$ahead" = 86400 ] && days=3
    wanted=$(date -d "$(date -d "+$days days +12 hours" '+%Y-%m-%d %H'):30:00" +%s)
    expected=$((wanted - 86400))
    while [ $((expected - $(date +%s))) -gt "$ahead" ]; do expected=$((expected - 86400)); done
    timer "$(name "$(date -d "@$wanted" '+%Y-%m-%d %H:%M:%S')")" active >"$tmp/units"
    shutdown "$poweroff"
    [ "$rc" = 0 ] && [ "$(alarm)" = "$expected" ] ||
        fail "RTC $ahead s ahead: alarm $(alarm), not $expected, status $rc: $out"
    grep -q 'Invalid argument' <<<"$out" && grep -q 'erken açılacak' <<<"$out" || fail "earlier alarm not logged: $out"
    [ "$(wc -l <"$tmp/rtcwake.calls")" -le 33 ] || fail "rtcwake tried $(wc -l <"$tmp/rtcwake.calls") times"
done
rm "$tmp/ahead"

# rtcwake refusing: logged, no record of an alarm that was not set.
reset
printf '#!/bin/sh\necho >>"$FAKE/rtcwake.calls"\necho "rtcwake: /dev/rtc0: unable to find device" >&2\nexit 1\n' >"$tmp/bin/rtcwake"
timer "$(name '2099-01-04 08:05:00')" active >"$tmp/units"
shutdown "$poweroff"
[ "$rc" != 0 ] && [ ! -e "$tmp/state/poweron-alarm" ] || fail "a refused alarm recorded: $out"
# It tries earlier days only within a month.
[ "$(wc -l <"$tmp/rtcwake.calls")" -le 33 ] || fail "rtcwake tried $(wc -l <"$tmp/rtcwake.calls") times"
grep -q 'kurulamadı: rtcwake: /dev/rtc0' <<<"$out" || fail "refusal not logged: $out"

echo "PASS: power-on alarm at shutdown"
