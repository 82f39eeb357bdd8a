#!/usr/bin/env bash
# The Debian package: its control fields and files, then installed with
# apt-get, started from /usr/bin, a bell rung through faketime from the
# user's data folder, and removed again with nothing of it left.
# Usage: e2e_package.sh BUILD_DIR (run under scripts/with-test-services.sh, as root)
set -uo pipefail
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/../scripts/utf8.sh"
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
libfaketime=$(find /usr/lib -path '*/faketime/libfaketime.so.1' 2>/dev/null | head -1)
fail() { echo "FAIL: $*"; exit 1; }
if [ "$(id -u)" != 0 ] || ! command -v cpack >/dev/null || ! pactl info >/dev/null 2>&1 ||
    [ -z "$libfaketime" ]; then
    [ -n "${VELMAR_TEST_SERVICES:-}" ] && [ "$(id -u)" = 0 ] && fail "the test services are incomplete"
    echo "SKIP: needs root, cpack, a sound server and faketime"; exit 0
fi
if dpkg -s velmar-dorl >/dev/null 2>&1; then
    echo "SKIP: velmar-dorl is installed on this machine; not touching it"; exit 0
fi

# The package's own hardened build, next to the tests' build; what it said
# is shown when it made no package.
made=$(mktemp)
deb=$(cd "$here" && VELMAR_PACKAGE_BUILD_DIR="$build/package" scripts/package.sh 2>"$made" | tail -n 1)
[ -f "$here/$deb" ] && deb="$here/$deb"
if [ ! -f "$deb" ]; then
    tail -n 30 "$made"
    rm -f "$made"
    fail "no package made (scripts/package.sh said the above)"
fi
rm -f "$made"
# lintian reports missing hardening as information only: here it fails.
unhardened=$(lintian --display-info --tags hardening-no-bindnow,hardening-no-fortify-functions,hardening-no-relro,hardening-no-pie "$deb")
[ -z "$unhardened" ] || fail "not hardened: $unhardened"
depends=$(dpkg-deb -f "$deb" Depends)
for p in gstreamer1.0-plugins-good gstreamer1.0-plugins-bad timgm6mb-soundfont libasound2-plugins \
    qt6-qpa-plugins libqt6widgets6 libgstreamer1.0-0; do
    case "$depends" in *"$p"*) ;; *) fail "no dependency on $p" ;; esac
done
# GNOME's tray.
[ "$(dpkg-deb -f "$deb" Recommends)" = gnome-shell-extension-appindicator ] || fail "no Recommends"
listing=$(dpkg-deb -c "$deb")
for f in ./usr/bin/velmar-dorl ./usr/share/applications/velmar-dorl.desktop \
    "./usr/share/velmar-dorl/Melodiler/Melodi 1.wav" ./usr/share/doc/velmar-dorl/copyright \
    ./usr/lib/systemd/system/velmar-dorl-wake@.timer ./usr/lib/systemd/system/velmar-dorl-wake@.service \
    ./usr/share/polkit-1/rules.d/50-velmar-dorl-wake.rules ./usr/lib/systemd/system/velmar-dorl-poweron.service \
    ./usr/libexec/velmar-dorl/velmar-dorl-poweron; do
    grep -qF " $f" <<<"$listing" || fail "not in the package: $f"
done
outside=$(grep -v ' \./usr/' <<<"$listing" | grep -v ' \./$')
[ -z "$outside" ] || fail "files outside /usr: $outside"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"; apt-get remove -y -qq velmar-dorl >/dev/null 2>&1' EXIT
dpkg-deb -x "$deb" "$tmp/x"
grep -qaF "$build" "$tmp/x/usr/bin/velmar-dorl" && fail "a build path inside the program"
grep -qaF "$here" "$tmp/x/usr/bin/velmar-dorl" && fail "a source path inside the program"

# Not what it recommends: GNOME's tray extension would bring GNOME Shell to the test machine.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >/dev/null 2>&1 ||
    fail "apt-get install"
[ -x /usr/bin/velmar-dorl ] || fail "not installed"

export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_DATA_HOME="$tmp/home/.local/share"
mkdir -p "$HOME"
# Playing streams only: the bell of the next minute is made ready, corked, ahead of it.
streams() { pactl list sink-inputs | grep -c 'Corked: no'; }
# Started with no locale at all, as from a cron job or a bare systemd unit:
# the folders and files it makes keep their UTF-8 names all the same.
env -u LC_ALL -u LC_CTYPE -u LANG -u LANGUAGE \
    LD_PRELOAD="$libfaketime" FAKETIME="@2026-12-07 09:09:57" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    /usr/bin/velmar-dorl -systray >"$tmp/out.log" 2>&1 &
program=$!
for _ in $(seq 150); do [ "$(streams)" -gt 0 ] && break; sleep 0.1; done
[ "$(streams)" -gt 0 ] || { kill "$program"; fail "no bell at 09:10 from the package within 15 s"; }
kill "$program"
for _ in $(seq 300); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && { kill -9 "$program"; fail "the program did not end within 30 s of SIGTERM"; }
wait "$program" 2>/dev/null
[ -f "$XDG_DATA_HOME/VelmarDorl/Melodiler/Melodi 1.wav" ] || fail "no sound folders in the data folder"
grep -q "Melodi 1.wav" "$tmp/out.log" || fail "the bell did not come from the data folder's melody"
for f in Marşlar/0.mp3 "Müzik/Küçük Yıldız.mid" "Müzik/Neşeye Övgü.mid"; do
    [ -f "$XDG_DATA_HOME/VelmarDorl/$f" ] ||
        fail "started with no locale, the program did not make $f: $(ls "$XDG_DATA_HOME/VelmarDorl")"
done

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq velmar-dorl >/dev/null 2>&1 || fail "apt-get remove"
# A package with a postrm (or conffiles) stays listed after a remove, and the
# next run would take it for an installed one.
dpkg -s velmar-dorl >/dev/null 2>&1 && fail "still in dpkg's list after apt-get remove"
for f in /usr/bin/velmar-dorl /usr/share/velmar-dorl /usr/share/applications/velmar-dorl.desktop \
    /usr/share/doc/velmar-dorl /usr/share/polkit-1/rules.d/50-velmar-dorl-wake.rules \
    /usr/lib/systemd/system/velmar-dorl-wake@.timer /usr/lib/systemd/system/velmar-dorl-poweron.service \
    /usr/libexec/velmar-dorl; do
    [ -e "$f" ] && fail "left behind: $f"
done
echo "PASS: packaged, installed with apt-get, rang a bell, removed"
