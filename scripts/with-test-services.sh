#!/usr/bin/env bash
# Runs a command with the services the tests need, each private to this run:
# an X server (Xvfb) with a tray host, a D-Bus session bus, and a sound server
# with a null sink: PulseAudio, or PipeWire with VELMAR_SOUND_SERVER=pipewire.
# Everything is stopped again afterwards.
set -uo pipefail
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/utf8.sh"

work=$(mktemp -d /tmp/velmar-services.XXXXXX)
pids=()
cleanup() {
    "$work/trayer-ctl" stop
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    stop_sound
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/runtime" "$work/home" "$work/config" && chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
# Services started on the bus (xfconfd) keep their settings here, not in the user's.
export XDG_CONFIG_HOME="$work/config"
export VELMAR_TEST_SERVICES=1

# Each service is waited for up to 30 s (a busy PC starts them slowly), and
# one that is not up by then is named; the helper scripts below use the same.
cat >"$work/await" <<'SH'
#!/usr/bin/env bash
# await WHAT COMMAND...: runs COMMAND every 0.1 s until it succeeds, for up to 30 s.
what=$1
shift
for _ in $(seq 300); do "$@" >/dev/null 2>&1 && exit 0; sleep 0.1; done
echo "with-test-services: gave up after 30 s waiting for $what" >&2
exit 1
SH
chmod +x "$work/await"

# X server and tray host.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
"$work/await" "the X server $display" xdpyinfo

# Session bus.
eval "$(dbus-launch --sh-syntax)"
pids+=("$DBUS_SESSION_BUS_PID")

# Tests that take the tray away and bring it back call "$VELMAR_TRAYER_CTL stop|start".
cat >"$work/trayer-ctl" <<SH
#!/usr/bin/env bash
if [ "\$1" = stop ]; then
    pid=\$(cat "$work/trayer.pid" 2>/dev/null) || exit 0
    kill "\$pid" 2>/dev/null
    "$work/await" "trayer (\$pid) to end" sh -c "! kill -0 \$pid"
    rm -f "$work/trayer.pid"
else
    [ -f "$work/trayer.pid" ] && exit 0
    setsid trayer --edge bottom --align right --widthtype request --height 24 >>"$work/trayer.log" 2>&1 &
    echo \$! >"$work/trayer.pid"
fi
SH
chmod +x "$work/trayer-ctl"
export VELMAR_TRAYER_CTL="$work/trayer-ctl"
"$work/trayer-ctl" start

if [ "${VELMAR_SOUND_SERVER:-pulseaudio}" = pipewire ]; then
    # PipeWire as Debian 12's GNOME runs it: pipewire, wireplumber and its
    # PulseAudio front end, on this run's bus and runtime folder, a null sink as default.
    cat >"$work/restart-pulse" <<SH
#!/usr/bin/env bash
[ -f "$work/pw.pids" ] && kill \$(cat "$work/pw.pids") 2>/dev/null
for pid in \$(cat "$work/pw.pids" 2>/dev/null); do
    "$work/await" "PipeWire's process \$pid to end" sh -c "! kill -0 \$pid"
done
rm -f "$work/pw.pids" "$work/runtime/pipewire-0" "$work/runtime/pipewire-0.lock"
HOME="$work/home" setsid pipewire >>"$work/pw.log" 2>&1 &
echo \$! >>"$work/pw.pids"
"$work/await" "PipeWire's socket" test -S "$work/runtime/pipewire-0"
HOME="$work/home" setsid wireplumber >>"$work/pw.log" 2>&1 &
echo \$! >>"$work/pw.pids"
HOME="$work/home" setsid pipewire-pulse >>"$work/pw.log" 2>&1 &
echo \$! >>"$work/pw.pids"
"$work/await" "pipewire-pulse to answer" pactl info
pactl load-module module-null-sink sink_name=velmar_null >/dev/null
"$work/await" "PipeWire to take velmar_null as its default" sh -c \
    'pactl set-default-sink velmar_null && pactl info | grep -q "Default Sink: velmar_null"'
SH
    # shellcheck disable=SC2046 # one process number a word
    stop_sound() { [ -f "$work/pw.pids" ] && kill $(cat "$work/pw.pids") 2>/dev/null; }
else
    # PulseAudio with a null sink; norewinds keeps end of stream on time.
    cat >"$work/pulse.pa" <<PA
load-module module-native-protocol-unix
load-module module-null-sink sink_name=velmar_null norewinds=1
set-default-sink velmar_null
PA
    # Tests that restart the sound server between two bells call this.
    cat >"$work/restart-pulse" <<SH
#!/usr/bin/env bash
pkill -f "pulseaudio -n -F $work/pulse.pa"
# [p]: the pattern does not match the line of the shell that runs it.
"$work/await" "the old PulseAudio to end" sh -c '! pgrep -f "[p]ulseaudio -n -F $work/pulse.pa"'
HOME="$work/home" setsid pulseaudio -n -F "$work/pulse.pa" --exit-idle-time=-1 --daemonize=no \\
    --system=false --disallow-exit >>"$work/pulse.log" 2>&1 &
"$work/await" "PulseAudio to answer" pactl info
SH
    stop_sound() { pkill -f "pulseaudio -n -F $work/pulse.pa" 2>/dev/null; }
fi
chmod +x "$work/restart-pulse"
export VELMAR_RESTART_PULSE="$work/restart-pulse"
"$work/restart-pulse"

"$@"
