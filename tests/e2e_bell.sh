#!/usr/bin/env bash
# shellcheck disable=SC2016 # wait_for's conditions, single-quoted, are evaluated afresh each time
# The real program rings a real bell: started through faketime a few seconds
# before a weekday's 09:10 with fresh settings, under Xvfb with the test
# services' PulseAudio null sink. Also: music after the bell, the computer
# muted again when nothing follows, a Saturday start, a sound server
# restarted between two bells, and 10 Kasım's remembrance.
# Usage: e2e_bell.sh BUILD_DIR (run under scripts/with-test-services.sh)
set -uo pipefail
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/../scripts/utf8.sh"
build=$(cd "$1" && pwd)
libfaketime=$(find /usr/lib -path '*/faketime/libfaketime.so.1' 2>/dev/null | head -1)
if ! pactl info >/dev/null 2>&1 || [ -z "${DISPLAY:-}" ] || [ -z "$libfaketime" ]; then
    [ -n "${VELMAR_TEST_SERVICES:-}" ] && { echo "FAIL: the test services are incomplete"; exit 1; }
    echo "SKIP: needs a display, a sound server and faketime"; exit 0
fi

root=$(mktemp -d)
program=""
recorder=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    [ -n "$recorder" ] && kill "$recorder" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$root"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
sink=velmar_null

# PipeWire 1.4 holds a level set on a sink that has not played since it
# appeared and reads back 100 % until a stream plays there: a moment of
# silence played first makes it apply the level it holds.
pipewire=$(pactl info | grep -c PipeWire)
# The test's own streams are named so; PipeWire lists one a moment after it ended.
ours() { pactl list sink-inputs | grep -c 'application.name = "velmar-test"'; }
silence() {
    head -c 8820 /dev/zero | timeout 30 pacat -d "$sink" -n velmar-test --raw --format=s16le \
        --rate=22050 --channels=1 || fail "pacat did not play 0.2 s of silence within 30 s"
    wait_for 10 'test "$(ours)" = 0' || fail "the test's own stream of silence still listed after 10 s"
}
volume() {
    [ "$pipewire" = 0 ] || silence
    pactl get-sink-volume "$sink" | grep -o '[0-9]*%' | head -1 | tr -d %
}
# Waits below are for what the program promises (muted at start, a bell in its
# minute, music after it), with margins a busy PC does not cross; a pass ends early.
# Streams that play: a bell made ready ahead waits on the server corked.
streams() { pactl list sink-inputs | grep -c "Corked: no"; }
# Loudest sample on the sink's monitor over half a second.
loudness() {
    timeout 30 parec -d "$sink.monitor" --raw --format=s16le --rate=22050 --channels=1 2>/dev/null |
        head -c 22050 | od -An -v -t d2 -w2 |
        awk '{v = $1 < 0 ? -$1 : $1; if (v > m) m = v} END {print m + 0}'
}
# What the sink's monitor hears from now until record_stop: the loudest sample.
record_start() {
    parec -d "$sink.monitor" --raw --format=s16le --rate=22050 --channels=1 >"$root/monitor.raw" 2>/dev/null &
    recorder=$!
}
record_stop() {
    kill "$recorder" 2>/dev/null
    wait "$recorder" 2>/dev/null
    od -An -v -t d2 -w2 "$root/monitor.raw" | awk '{v = $1 < 0 ? -$1 : $1; if (v > m) m = v} END {print m + 0}'
}
# A sound the user plays between bells (a melody through paplay): the loudest sample heard.
user_sound() {
    record_start
    paplay -d "$sink" -n velmar-test "$build/src/Melodiler/Melodi 4.wav" &
    local player=$!
    sleep 2
    kill "$player" 2>/dev/null
    wait "$player" 2>/dev/null
    record_stop
    wait_for 10 'test "$(ours)" = 0' || fail "the test's own melody still listed after 10 s"
}
within() { # value reference: value lies between half and twice the reference
    [ "$1" -ge $(($2 / 2)) ] && [ "$1" -le $(($2 * 2)) ]
}
wait_for() { # seconds 'condition', evaluated afresh each time
    for _ in $(seq $(($1 * 10))); do eval "$2" && return 0; sleep 0.1; done
    return 1
}

# An installation of its own: the program and its sounds, settings elsewhere.
app() { # folder [with-music]
    mkdir -p "$1"
    cp "$build/src/velmar-dorl" "$1/"
    cp -r "$build/src/Melodiler" "$build/src/Anonslar" "$build/src/Marşlar" "$1/"
    mkdir -p "$1/Müzik"
    [ "${2:-}" = with-music ] && cp "$build/src/Müzik/"* "$1/Müzik/"
}
start() { # app-folder config-folder "date time" [args]
    export XDG_CONFIG_HOME="$2"
    # libfaketime itself rather than the faketime wrapper, so that $! is the program.
    LD_PRELOAD="$libfaketime" FAKETIME="@$3" FAKETIME_DONT_FAKE_MONOTONIC=1 \
        "$1/velmar-dorl" ${4:+"$4"} >"$root/out.log" 2>&1 &
    program=$!
}
stop() { kill "$program" 2>/dev/null; wait "$program" 2>/dev/null; program=""; }

pactl set-sink-volume "$sink" 100%
# The desktop's event sounds go off through GSettings: kept in the run's config folder.
export GSETTINGS_BACKEND=keyfile

# 1. A weekday's exit bell at 09:10, then break music.
app "$root/a" with-music
start "$root/a" "$root/config-a" "2026-12-07 09:09:56" -systray
wait_for 30 'test -f "$root/config-a/VelmarDorl/VelmarDorl.ini"' || fail "no start"
wait_for 15 'test "$(volume)" = 0' || fail "not muted at start-up: $(volume)%"
[ "$(streams)" = 0 ] || fail "a sound before the bell"
if gsettings list-keys org.gnome.desktop.sound >/dev/null 2>&1; then
    wait_for 15 'test "$(gsettings get org.gnome.desktop.sound event-sounds)" = false' ||
        fail "the desktop's event sounds are still on"
fi
wait_for 20 'test "$(streams)" -gt 0' || fail "no bell at 09:10"
[ "$(volume)" -ge 95 ] || fail "master level not raised at the bell: $(volume)%"
loud=$(loudness)
[ "$loud" -gt 1000 ] || fail "the sink's monitor is silent ($loud)"
# The journal where one runs, standard error otherwise.
logged() {
    grep -q "$1" "$root/out.log" ||
        journalctl -q -t velmar-dorl --since -5min 2>/dev/null | grep -q "$1"
}
logged "Çalıyor: Çıkış zili" || fail "the bell is not in the log"
echo "bell: stream on the sink, master $(volume)%, loudest sample $loud, logged"
# A song follows the melody (6.7 s).
wait_for 30 'logged "Çalıyor: Müzik"' || fail "no break music after the exit bell"
wait_for 5 'test "$(streams)" -gt 0' || fail "the song is not on the sink"
[ "$(volume)" -ge 95 ] || fail "muted during the music"
echo "music: stream on the sink after the bell"
stop

# 2. Nothing to follow: muted again after the bell.
app "$root/b"
record_start
start "$root/b" "$root/config-b" "2026-12-07 09:09:57" -systray
wait_for 20 'test "$(streams)" -gt 0' || fail "no bell at 09:10 (b)"
wait_for 30 'test "$(streams)" = 0' || fail "the bell did not end (b)"
full=$(record_stop)
wait_for 30 'test "$(volume)" = 0' || fail "not muted after the bell: $(volume)%"
echo "after the bell: master back to its minimum (the bell at 100%: loudest sample $full)"
stop

# 3. Saturday: the notice shows, weekday cells stay silent.
start "$root/b" "$root/config-c" "2026-12-12 09:09:57" -systray
wait_for 30 'test -n "$(xdotool search --onlyvisible --name "^Velmar Dorl\$" 2>/dev/null)"' ||
    fail "no weekend notice"
sleep 6
[ "$(streams)" = 0 ] || fail "a weekday bell rang on Saturday"
echo "Saturday: notice shown, no weekday bell"
stop

# 4. The sound server restarted between two bells, master at 50%: the bell
# after the restart is as loud as the one before it (50% is -18 dB, an eighth
# of the amplitude at 100%), and a sound between bells is not heard.
mkdir -p "$root/config-d/VelmarDorl"
printf '[Saatler]\ntimex%%285%%29=09:11\n[Ses]\nMasterVolume=5\n' >"$root/config-d/VelmarDorl/VelmarDorl.ini"
record_start
# Started in the 09:10 bell's late window: it rings at once and has ended well
# before 09:11, however slowly a busy PC starts the program.
start "$root/b" "$root/config-d" "2026-12-07 09:10:35" -systray
wait_for 20 'test "$(streams)" -gt 0' || fail "no bell at 09:10 (d)"
wait_for 20 'test "$(streams)" = 0' || fail "the bell did not end"
before=$(record_stop)
within "$before" $((full / 8)) || fail "the bell at 50% is not an eighth of the one at 100% ($before, $full)"
"$VELMAR_RESTART_PULSE"
pactl set-sink-volume "$sink" 100%
record_start
wait_for 90 'test "$(streams)" -gt 0' || { pactl list sink-inputs; pactl list short sinks; tail "$root/out.log"; fail "no bell at 09:11 after the restart"; }
wait_for 20 'test "$(streams)" = 0' || fail "the bell after the restart did not end"
after=$(record_stop)
within "$after" "$before" || fail "the bell after the restart is not at 50% ($after, before it $before)"
wait_for 30 'test "$(volume)" = 0' || fail "not muted after the bell after the restart: $(volume)%"
heard=$(user_sound)
[ "$heard" = 0 ] || fail "muted after the restart, but a sound played then is heard ($heard)"
echo "after a sound server restart: the next bell plays at master 50%, loudest sample $after" \
    "(before the restart $before, at 100% $full); a sound between bells is not heard"
stop

# 5. 10 Kasım, a Tuesday: the siren at 09:05:00 by itself, over a bell of that
# minute, and the anthem at 09:07:00. How long after 09:05:00 the siren's
# stream came is printed (the program starts ten seconds before it).
mkdir -p "$root/config-f/VelmarDorl"
printf '[Saatler]\ntimex%%283%%29=09:05\n' >"$root/config-f/VelmarDorl/VelmarDorl.ini"
started=$(date +%s%N)
start "$root/b" "$root/config-f" "2026-11-10 09:04:50" -systray
wait_for 40 'test "$(streams)" -gt 0' || fail "no siren at 09:05 on 10 Kasım"
came=$(( ($(date +%s%N) - started) / 1000000 - 10000 ))
wait_for 10 'logged "Çalıyor: Siren"' || fail "the siren is not in the log"
logged "Öğrenci giriş zili 09:05 çalmadı: 10 Kasım anması" || fail "the 09:05 bell was not held back"
echo "10 Kasım: the siren's stream on the sink ${came} ms after 09:05:00 (at most 100 ms of it the poll's), the 09:05 bell held back"
stop
start "$root/b" "$root/config-f" "2026-11-10 09:06:55" -systray
wait_for 40 'logged "Çalıyor: İstiklal Marşı"' || fail "no anthem at 09:07 on 10 Kasım"
wait_for 10 'test "$(streams)" -gt 0' || fail "the anthem is not on the sink"
echo "10 Kasım: the anthem at 09:07"
stop

# 6. Ended by the session (SIGTERM) while idle and muted: the master level comes back.
mkdir -p "$root/config-e/VelmarDorl"
printf '[Ses]\nMasterVolume=2\n' >"$root/config-e/VelmarDorl/VelmarDorl.ini"
pactl set-sink-volume "$sink" 100%
start "$root/b" "$root/config-e" "2026-12-07 07:00:00" -systray
wait_for 30 'test "$(volume)" = 0' || fail "not muted at start-up (e): $(volume)%"
kill -TERM "$program"
wait_for 30 '! kill -0 "$program" 2>/dev/null' || fail "the program did not end within 30 s of SIGTERM"
wait "$program"
code=$?
program=""
[ "$code" = 0 ] || fail "SIGTERM: exit code $code"
[ "$(volume)" = 80 ] || fail "SIGTERM left the master at $(volume)%, not 80%"
echo "SIGTERM: ended cleanly, master level back at 80%"
echo "PASS"
