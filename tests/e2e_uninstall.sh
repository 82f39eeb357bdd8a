#!/usr/bin/env bash
# The real install command, then the real sil driven with xdotool under Xvfb:
# option 0 leaves nothing behind and ends the running program.
# Usage: e2e_uninstall.sh BUILD_DIR (run under scripts/with-test-services.sh)
set -uo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
    [ -n "${VELMAR_TEST_SERVICES:-}" ] && { echo "FAIL: no display or xdotool"; exit 1; }
    echo "SKIP: needs an X display and xdotool"; exit 0
fi

fail() { echo "FAIL: $*"; kill "${program:-0}" 2>/dev/null; exit 1; }
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
for _ in $(seq 100); do
    [ -f "$XDG_CONFIG_HOME/autostart/velmar-dorl.desktop" ] && break
    sleep 0.1
done
[ -f "$XDG_CONFIG_HOME/autostart/velmar-dorl.desktop" ] || fail "no log-on entry"

# Installing again over the running program: the old one ends, the new one starts.
VELMAR_BUILD_DIR="$build" "$here/scripts/install.sh" >/dev/null || fail "install again"
kill -0 "$program" 2>/dev/null && fail "the old program still runs after installing again"
new=""
for _ in $(seq 300); do
    new=$(head -n 1 "$XDG_RUNTIME_DIR/VelmarDorl.lock" 2>/dev/null)
    [ -n "$new" ] && [ "$new" != "$program" ] && kill -0 "$new" 2>/dev/null && break
    new=""
    sleep 0.1
done
[ -n "$new" ] || fail "the new program did not start"
program=$new
"$install/Kaldır/sil" || fail "first stage"
[ -x "$XDG_RUNTIME_DIR/sill" ] || fail "no copy named sill"
window=$(xdotool search --sync --name 'Velmar Dorl programını kaldır.' | head -1)
[ -n "$window" ] || fail "no uninstaller window"
sleep 0.5
xdotool windowfocus --sync "$window"
xdotool key space    # the first option: everything
xdotool key Return   # Devam
# The final message is sill's own window titled "Velmar Dorl".
sill=$(pgrep -f "$XDG_RUNTIME_DIR/sill" | head -1)
[ -n "$sill" ] || fail "sill ended early"
done_box=""
for _ in $(seq 100); do
    done_box=$(xdotool search --all --onlyvisible --pid "$sill" --name '^Velmar Dorl$' 2>/dev/null | head -1)
    [ -n "$done_box" ] && break
    sleep 0.1
done
[ -n "$done_box" ] || fail "no final message"
sleep 0.5
xdotool windowfocus --sync "$done_box"
xdotool key Return
for _ in $(seq 50); do pgrep -f "$XDG_RUNTIME_DIR/sill" >/dev/null || break; sleep 0.1; done
pgrep -f "$XDG_RUNTIME_DIR/sill" >/dev/null && fail "sill still runs"
for _ in $(seq 300); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "the main program still runs"

left=""
for f in "$install" "$HOME/Desktop/Velmar Dorl.desktop" "$XDG_DATA_HOME/applications/Velmar Dorl" \
    "$XDG_CONFIG_HOME/autostart/velmar-dorl.desktop" "$XDG_CONFIG_HOME/VelmarDorl/VelmarDorl.ini"; do
    [ -e "$f" ] && left="$left $f"
done
[ -z "$left" ] || fail "left behind:$left"
echo "PASS: installed, then removed with option 0; nothing left"
