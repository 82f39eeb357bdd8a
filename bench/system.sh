#!/usr/bin/env bash
# One table of the whole system's figures. Run from the repository after a
# build in build/ (cmake --build build --target bench tst_week):
#   scripts/with-test-services.sh bench/system.sh [MINUTES_OF_BELLS] [IDLE_MINUTES]
set -u
b=${BUILD_DIR:-build}
bells=${1:-5}
idle=${2:-2}

bell=$("$b/bench/bench_bell" "$bells")
median=$(echo "$bell" | awk '/bell-lateness-median-ms/ {print $2}')
worst=$(echo "$bell" | awk '/bell-lateness-worst-ms/ {print $2}')
week=$(QT_QPA_PLATFORM=offscreen "$b/tests/tst_week" heapStaysFlatOverAWeekOfRunning 2>&1 |
    sed -n 's/.*heap in use after two days \([0-9.]*\) MB, after the week \([0-9.]*\) MB.*/\1 -> \2/p')
idle_out=$("$b/bench/bench_idle" "$idle")
wakeups=$(echo "$idle_out" | sed -n 's/.*per minute (all threads): \([0-9.]*\).*/\1/p')
cpu=$(echo "$idle_out" | sed -n 's/CPU time per hour: \([0-9.]*\) s.*/\1/p')
start=$("$b/bench/bench_startup" 10)
start_ms=$(echo "$start" | sed -n 's/.*event loop: median \([0-9.]*\) ms.*/\1/p')
start_mb=$(echo "$start" | sed -n 's/.*after start: *median \([0-9.]*\) MB.*/\1/p')

printf '%-52s %12s %s\n' "figure" "value" "aim"
printf '%-52s %12s %s\n' "bell's first buffer after second 0, median ($bells min)" "$median ms" ""
printf '%-52s %12s %s\n' "bell's first buffer after second 0, worst" "$worst ms" "< 50 ms"
printf '%-52s %12s %s\n' "heap in use, day 2 -> day 7 of a simulated week" "$week MB" "flat"
printf '%-52s %12s %s\n' "wake-ups per minute, hidden and idle ($idle min)" "$wakeups" "a couple"
printf '%-52s %12s %s\n' "CPU time per hour, hidden and idle" "$cpu s" "< 1 s"
printf '%-52s %12s %s\n' "start-up to event loop, hidden (median of 10)" "$start_ms ms" "< 150 ms"
printf '%-52s %12s %s\n' "resident memory after start, hidden" "$start_mb MB" "< 40 MB"
