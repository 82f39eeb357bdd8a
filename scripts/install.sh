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
    build=build-release
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" --target velmar-dorl sil
fi

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
