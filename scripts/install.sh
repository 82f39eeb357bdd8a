#!/usr/bin/env bash
# Installs Velmar Dorl for the current user:
#   scripts/install.sh [--no-start] [INSTALL_FOLDER]
# The default folder is ~/.local/opt/Velmar Dorl, so the sound folders stay
# writable for the user. Puts the program, the sound folders and Kaldır/sil
# there, a shortcut on the desktop and two in the desktop's menu, then starts
# the program once by hand, which registers its start at log-on.
# VELMAR_BUILD_DIR may name an existing build to install from.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/utf8.sh

start=1
if [ "${1:-}" = "--no-start" ]; then
    start=0
    shift
fi
target="${1:-$HOME/.local/opt/Velmar Dorl}"

build="${VELMAR_BUILD_DIR:-}"
if [ -z "$build" ]; then
    . scripts/packages.sh
    # shellcheck disable=SC2086
    install_packages $BUILD_PACKAGES $RUN_PACKAGES
    build="build-release"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" --target velmar-dorl sil
fi

# A copy that is running now is asked to end first (the uninstaller's word),
# so the new one can start in its place.
stop_running_copy() {
    local folder lock pid
    for folder in "${XDG_RUNTIME_DIR:-}" "${XDG_CACHE_HOME:-$HOME/.cache}/VelmarDorl/run" \
        "${TMPDIR:-/tmp}/runtime-$(id -un)"; do
        [ -n "$folder" ] && [ -f "$folder/VelmarDorl.lock" ] && { lock="$folder/VelmarDorl.lock"; break; }
    done
    [ -n "${lock:-}" ] || return 0
    pid=$(head -n 1 "$lock" 2>/dev/null)
    case "$pid" in '' | *[!0-9]*) return 0 ;; esac
    kill -0 "$pid" 2>/dev/null || return 0
    if command -v python3 >/dev/null; then
        python3 - "$folder/VelmarDorl-$pid.sock" <<'PY' || kill -TERM "$pid" 2>/dev/null
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.settimeout(5)
s.connect(sys.argv[1])
s.sendall(b"uninstall\n")
s.recv(4)
PY
    else
        kill -TERM "$pid" 2>/dev/null
    fi
    # Its lock goes with it.
    for _ in $(seq 300); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    echo "Velmar Dorl ($pid) did not end; installing anyway." >&2
}
stop_running_copy

mkdir -p "$target/Kaldır"
install -m 755 "$build/src/velmar-dorl" "$target/velmar-dorl"
install -m 755 "$build/uninstaller/sil" "$target/Kaldır/sil"
for folder in Melodiler Anonslar Marşlar Müzik; do
    mkdir -p "$target/$folder"
    # The school's own files stay: only missing defaults are added.
    cp -n sounds/"$folder"/* "$target/$folder/"
done

# Desktop Entry values: the path quoted as Exec wants it.
quote_exec() {
    local p=$1
    p=${p//\\/\\\\}; p=${p//\"/\\\"}; p=${p//\`/\\\`}; p=${p//\$/\\\$}; p=${p//%/%%}
    p=${p//\\/\\\\}
    printf '"%s"' "$p"
}
entry() { # name exec comment
    printf '[Desktop Entry]\nType=Application\nName=%s\nComment=%s\nExec=%s\nTerminal=false\n' \
        "$1" "$3" "$2"
}

config="${XDG_CONFIG_HOME:-$HOME/.config}"
desktop=""
if [ -f "$config/user-dirs.dirs" ]; then
    # shellcheck disable=SC1091
    desktop=$(. "$config/user-dirs.dirs"; echo "${XDG_DESKTOP_DIR:-}")
fi
desktop="${desktop:-$HOME/Desktop}"
menu="${XDG_DATA_HOME:-$HOME/.local/share}/applications/Velmar Dorl"

mkdir -p "$desktop" "$menu/Programı Kaldır"
main_exec=$(quote_exec "$target/velmar-dorl")
sil_exec=$(quote_exec "$target/Kaldır/sil")
entry "Velmar Dorl" "$main_exec" "Okul zili" >"$desktop/Velmar Dorl.desktop"
entry "Velmar Dorl" "$main_exec" "Okul zili" >"$menu/Velmar Dorl.desktop"
entry "Programı Kaldır" "$sil_exec" "Velmar Dorl programını kaldır" \
    >"$menu/Programı Kaldır/sil.desktop"
chmod 755 "$desktop/Velmar Dorl.desktop" "$menu/Velmar Dorl.desktop" \
    "$menu/Programı Kaldır/sil.desktop"

echo "Velmar Dorl: $target"
if [ "$start" = 1 ]; then
    # A start by hand registers the start at log-on.
    nohup "$target/velmar-dorl" >/dev/null 2>&1 &
fi
