#!/usr/bin/env bash
# The real install command, then the real sil driven with xdotool under Xvfb:
# option 0 leaves nothing behind and ends the running program.
# Usage: e2e_uninstall.sh BUILD_DIR (run under scripts/with-test-services.sh)
set -uo pipefail
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/../scripts/utf8.sh"
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
    [ -n "${VELMAR_TEST_SERVICES:-}" ] && { echo "FAIL: no display or xdotool"; exit 1; }
    echo "SKIP: needs an X display and xdotool"; exit 0
fi

fail() {
    echo "FAIL: $*"
    kill "${program:-0}" 2>/dev/null
    pkill -f "$XDG_RUNTIME_DIR/sill" 2>/dev/null
    exit 1
}
# Every wait has a bound: await SECONDS WHAT COMMAND... runs COMMAND every 0.1 s
# until it succeeds, and fails the test naming WHAT when the time is up.
await() {
    local seconds=$1 what=$2
    shift 2
    for _ in $(seq $((seconds * 10))); do "$@" && return 0; sleep 0.1; done
    fail "waited $seconds s for $what"
}
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! kill -0 "$1" 2>/dev/null; }
# A window of the given title (a regular expression) that is mapped, for
# xdotool's key presses; its number in $window. xdotool reads the title in the
# locale's encoding: this script runs in UTF-8 (scripts/utf8.sh).
shown() { # title [pid]
    window=$(xdotool search --all --onlyvisible ${2:+--pid "$2"} --name "$1" 2>/dev/null | head -1)
    [ -n "$window" ]
}
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
press() { # window keys...: focuses the window, then presses the keys
    local target=$1
    shift
    xdotool windowfocus "$target" 2>/dev/null
    await 10 "the window $target to take the focus" focused "$target"
    xdotool key "$@"
}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
export HOME="$root/home" XDG_CONFIG_HOME="$root/home/.config" XDG_DATA_HOME="$root/home/.local/share"
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
install="$HOME/.local/opt/Velmar Dorl"

VELMAR_BUILD_DIR="$build" "$here/scripts/install.sh" --no-start >/dev/null || fail "install"
for f in "$install/velmar-dorl" "$install/Kaldır/sil" "$install/Melodiler/Melodi 5.wav" \
    "$install/Anonslar/0.mp3" "$install/Marşlar/2.mp3" "$install/Müzik" \
    "$HOME/Desktop/Velmar Dorl.desktop" \
    "$XDG_DATA_HOME/applications/Velmar Dorl/Velmar Dorl.desktop" \
    "$XDG_DATA_HOME/applications/Velmar Dorl/Programı Kaldır/sil.desktop"; do
    [ -e "$f" ] || fail "not installed: $f"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$HOME/Desktop/Velmar Dorl.desktop" \
        "$XDG_DATA_HOME/applications/Velmar Dorl/Programı Kaldır/sil.desktop" || fail "shortcuts"
fi

# The first start by hand registers the log-on start.
"$install/velmar-dorl" >/dev/null 2>&1 &
program=$!
await 30 "the log-on entry the first start writes" test -f "$XDG_CONFIG_HOME/autostart/velmar-dorl.desktop"

# Installing again over the running program: the old one ends, the new one starts.
VELMAR_BUILD_DIR="$build" "$here/scripts/install.sh" >/dev/null || fail "install again"
kill -0 "$program" 2>/dev/null && fail "the old program still runs after installing again"
new=""
started_anew() {
    new=$(head -n 1 "$XDG_RUNTIME_DIR/VelmarDorl.lock" 2>/dev/null)
    [ -n "$new" ] && [ "$new" != "$program" ] && running "$new"
}
await 30 "the program started by the second install to take the lock" started_anew
program=$new
# Started with no locale at all: its window's title is found all the same
# (xdotool reads the legacy WM_NAME, which Xlib writes in the locale's encoding).
env -u LC_ALL -u LC_CTYPE -u LANG -u LANGUAGE "$install/Kaldır/sil" || fail "first stage"
[ -x "$XDG_RUNTIME_DIR/sill" ] || fail "no copy named sill"
await 60 "the uninstaller's window 'Velmar Dorl programını kaldır.'" shown '^Velmar Dorl programını kaldır\.$'
# The first option (everything), then Devam.
press "$window" space Return
# The final message is sill's own window titled "Velmar Dorl".
sill=$(pgrep -f "$XDG_RUNTIME_DIR/sill" | head -1)
[ -n "$sill" ] || fail "sill ended early"
await 30 "sill's final message, a window titled 'Velmar Dorl'" shown '^Velmar Dorl$' "$sill"
press "$window" Return
await 10 "sill ($sill) to end after its final message" ended "$sill"
await 30 "the main program ($program) to end" ended "$program"

left=""
for f in "$install" "$HOME/Desktop/Velmar Dorl.desktop" "$XDG_DATA_HOME/applications/Velmar Dorl" \
    "$XDG_CONFIG_HOME/autostart/velmar-dorl.desktop" "$XDG_CONFIG_HOME/VelmarDorl/VelmarDorl.ini"; do
    [ -e "$f" ] && left="$left $f"
done
[ -z "$left" ] || fail "left behind:$left"
echo "PASS: installed, then removed with option 0; nothing left"
