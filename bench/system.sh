#!/usr/bin/env bash
# One table of the whole system's figures. Run from the repository after a
# build in build/ (cmake --build build --target bench tst_week):
#   scripts/with-test-services.sh bench/system.sh [MINUTES_OF_BELLS] [IDLE_MINUTES] \
#       [SCHOOL_DAYS_OF_THE_MONTH] [MINUTES_OF_THE_SHORT_DAY]
set -u
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/../scripts/utf8.sh"
b=${BUILD_DIR:-build}
bells=${1:-5}
idle=${2:-2}
days=${3:-20}
short_day=${4:-14}

# The real program under faketime through a short school day: a bell every
# minute, exit bells (a MIDI melody) followed by a minute of break music with
# the default MIDI songs. Prints the resident memory once it is idle again.
day_idle_mb() {
    local root app t0 r libfaketime pid rss
    root=$(mktemp -d)
    app=$root/app
    mkdir -p "$app" "$root/config/VelmarDorl" "$root/run"
    chmod 700 "$root/run"
    cp "$b/src/velmar-dorl" "$app/"
    cp -r "$b/src/Melodiler" "$b/src/Anonslar" "$b/src/Marşlar" "$b/src/Müzik" "$app/"
    cp "$app/Müzik/Neşeye Övgü.mid" "$app/Melodiler/"
    t0=$(date -d '2026-12-07 09:00' +%s)
    {
        echo "[Saatler]"
        for ((r = 0; r < short_day / 2 && r < 11; r++)); do
            echo "timex%28$((3 * r + 2))%29=$(date -d @$((t0 + 120 * r)) +%H:%M)"
            echo "timex%28$((3 * r + 3))%29=$(date -d @$((t0 + 120 * r + 60)) +%H:%M)"
        done
        echo "[Melodiler]"
        echo "Zil%282%29=Neşeye Övgü.mid"
        echo "[M%FCzik]"
        echo "Aktif=1"
        for ((r = 0; r < 12; r++)); do echo "MusicT%28$r%29=1"; done
    } >"$root/config/VelmarDorl/VelmarDorl.ini"
    libfaketime=$(find /usr/lib -path '*/faketime/libfaketime.so.1' 2>/dev/null | head -1)
    [ -n "$libfaketime" ] || { echo "? (no faketime)"; rm -rf "$root"; return; }
    # Its own runtime folder, the session's sound server (found in the outer one).
    # shellcheck disable=SC2097,SC2098
    PULSE_SERVER=${PULSE_SERVER:-unix:$XDG_RUNTIME_DIR/pulse/native} \
        XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$root/run LD_PRELOAD=$libfaketime \
        FAKETIME="@2026-12-07 08:59:50" FAKETIME_DONT_FAKE_MONOTONIC=1 \
        "$app/velmar-dorl" -systray >/dev/null 2>"$root/log" &
    pid=$!
    sleep $((short_day * 60 + 60)) # the last bell, its announcement and the music's end
    rss=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null
    echo "$rss MB after $(grep -c 'Çalıyor' "$root/log") sounds"
    rm -rf "$root"
}

bell=$("$b/bench/bench_bell" "$bells")
median=$(echo "$bell" | awk '/bell-lateness-median-ms/ {print $2}')
worst=$(echo "$bell" | awk '/bell-lateness-worst-ms/ {print $2}')
first=$(echo "$bell" | awk '/bell-lateness-first-ms/ {print $2}')
audible=$(echo "$bell" | awk '/bell-audible-median-ms/ {m = $2} /bell-audible-worst-ms/ {w = $2} END {if (m != "") print m " / " w}')
week=$(QT_QPA_PLATFORM=offscreen "$b/tests/tst_week" heapStaysFlatOverAWeekOfRunning 2>&1 |
    sed -n 's/.*heap in use after two days \([0-9.]*\) MB, after the week \([0-9.]*\) MB.*/\1 -> \2/p')
idle_out=$("$b/bench/bench_idle" "$idle")
wakeups=$(echo "$idle_out" | sed -n 's/.*per minute (all threads): \([0-9.]*\).*/\1/p')
cpu=$(echo "$idle_out" | sed -n 's/CPU time per hour: \([0-9.]*\) s.*/\1/p')
start=$("$b/bench/bench_startup" 10)
start_ms=$(echo "$start" | sed -n 's/.*event loop: *median \([0-9.]*\) ms.*/\1/p')
start_mb=$(echo "$start" | sed -n 's/.*after start: *median \([0-9.]*\) MB.*/\1/p')
month=$("$b/bench/bench_month" "$days")
month_heap=$(echo "$month" | awk '/month-heap-growth-mb-per-day/ {print $2}')
month_first=$(echo "$month" | awk '/month-resident-first-day-mb/ {print $2}')
month_last=$(echo "$month" | awk '/month-resident-last-day-mb/ {print $2}')
day_mb=$(day_idle_mb)

printf '%-52s %12s %s\n' "figure" "value" "aim"
printf '%-52s %12s %s\n' "bell's first buffer after second 0, median ($bells, loaded)" "$median ms" "<= 10 ms"
printf '%-52s %12s %s\n' "bell's first buffer after second 0, worst" "$worst ms" "<= 20 ms"
printf '%-52s %12s %s\n' "the first bell of the run" "$first ms" "<= 20 ms"
printf '%-52s %12s %s\n' "bell audible at the sink's monitor, median / worst" "${audible:-?} ms" ""
printf '%-52s %12s %s\n' "heap in use, day 2 -> day 7 of a simulated week" "$week MB" "flat"
printf '%-52s %12s %s\n' "wake-ups per minute, hidden and idle ($idle min)" "$wakeups" "<= 2"
printf '%-52s %12s %s\n' "CPU time per hour, hidden and idle" "$cpu s" "<= 0.1 s"
printf '%-52s %12s %s\n' "start-up to event loop, hidden (median of 10)" "$start_ms ms" "<= 100 ms"
printf '%-52s %12s %s\n' "resident memory after start, hidden" "$start_mb MB" "< 40 MB"
printf '%-52s %12s %s\n' "resident, idle after a ${short_day}-minute day of bells+music" "$day_mb" "< 55 MB"
printf '%-52s %12s %s\n' "resident, idle: first -> last day of $days school days" "$month_first -> $month_last MB" "within 5 MB"
printf '%-52s %12s %s\n' "heap in use growth per school day (month)" "$month_heap MB" "< 0.05 MB"
# Which plugins playbin may choose from: libav's decoders, for one, weigh on memory.
printf '%-52s %s\n' "GStreamer plugin packages installed" \
    "$(dpkg-query -W -f '${db:Status-Abbrev} ${Package}\n' 'gstreamer1.0-*' 2>/dev/null |
        awk '/^ii/ {sub("gstreamer1.0-", "", $2); printf "%s ", $2}')"
