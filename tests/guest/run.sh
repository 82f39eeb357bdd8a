#!/usr/bin/env bash
# Boots the package in a real Debian 12 with GNOME under QEMU and checks what
# only a real systemd, logind, polkit, GNOME and PC clock can show: the
# log-on start, the sleep inhibitor, the wake-up timer set through polkit,
# GNOME's idle suspend, the RTC waking the guest for a bell heard on its sound
# card, and the RTC alarm set at a power-off. One line PASS/FAIL per check.
#
#   sudo tests/guest/run.sh [package.deb]
#
# Without a .deb it builds one with scripts/package.sh. The guest's tree is
# made once with debootstrap from this machine's Debian mirror and kept in
# VELMAR_GUEST_ROOT (default /var/cache/velmar-dorl/bookworm-guest); each run
# installs the package in it and writes a fresh disk image from it, so the
# kept tree never sees a boot. Needs root, debootstrap, qemu-system-x86 and
# python3; takes about 40 minutes (software emulation, the guest waiting for
# its bells).
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/utf8.sh
src=$PWD
here=$src/tests/guest
cache="${VELMAR_GUEST_ROOT:-/var/cache/velmar-dorl/bookworm-guest}"
root=$cache/root
work="${VELMAR_GUEST_WORK:-$cache/run}"
start=$(date +%s)

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=VELMAR_GUEST_ROOT,VELMAR_GUEST_WORK,VELMAR_DEBIAN_MIRROR,VELMAR_GUEST_DAY,VELMAR_GUEST_BREAK "$0" "$@"
fi
# A private mount namespace: what is mounted in the tree vanishes with this
# script even if it is killed.
if [ -z "${VELMAR_IN_NS:-}" ]; then
    VELMAR_IN_NS=1 exec unshare --mount --propagation private "$0" "$@"
fi

# The mirror this machine's apt uses, unless given.
. scripts/debian-mirror.sh

# What a school's GNOME PC has, and no more: GDM logs the bell user on, GNOME
# with its settings daemon (the idle suspend), PipeWire for the sound, the
# guest agent for this script's commands.
guest_packages="linux-image-amd64 initramfs-tools systemd-sysv udev dbus dbus-user-session
    libpam-systemd polkitd pkexec gdm3 gnome-shell gnome-session gnome-settings-daemon
    xwayland pipewire pipewire-pulse wireplumber qemu-guest-agent libglib2.0-bin
    util-linux procps kmod locales libgl1-mesa-dri fonts-dejavu-core"

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"
}

mounts=()
trap 'cleanup_mounts' EXIT
trap 'exit 130' INT TERM HUP
cleanup_mounts() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount -R "${mounts[i]}" 2>/dev/null || umount -R -l "${mounts[i]}" || true
    done
    mounts=()
}
mnt() { # mnt TARGET mount-arguments...
    local target=$1
    shift
    mkdir -p "$target"
    mount "$@" "$target"
    mounts+=("$target")
}

make_tree() {
    echo "Making the Debian 12 guest tree in $root from $mirror"
    rm -rf "$root"
    mkdir -p "$root"
    debootstrap --variant=minbase bookworm "$root" "$mirror"
    echo "deb $mirror bookworm main" >"$root/etc/apt/sources.list"
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    printf 'APT::Install-Recommends "false";\nAcquire::Languages "none";\n' >"$root/etc/apt/apt.conf.d/90velmar"
    mnt "$root/proc" -t proc proc
    mnt "$root/sys" -t sysfs sys
    mnt "$root/dev" --rbind /dev
    in_root apt-get update -qq
    # shellcheck disable=SC2086
    in_root apt-get install -y -qq $guest_packages
    in_root apt-get clean
    cleanup_mounts
    rm -f "$root/usr/sbin/policy-rc.d"
    touch "$root/.velmar-ready"
}

[ -e "$root/.velmar-ready" ] || make_tree
[ "${1:-}" = --tree-only ] && exit 0

# The package: the one given, or built from this tree.
deb=${1:-}
if [ -z "$deb" ]; then
    deb=$(scripts/package.sh | tail -n1)
fi
deb=$(realpath "$deb")
echo "Package: $deb"

# The guest's day: a Monday followed by school days, with no holiday near.
# The bells sit around midnight, so that the evening's last bell, the idle
# suspend, the wake-up for the next day's first bell and that bell all come
# within the run (the program wakes the PC 5 minutes before a day's first
# bell and holds it from 15 minutes before).
day=${VELMAR_GUEST_DAY:-2026-12-14}
first_bell=00:05
last_bell=23:42
boot_at="${day}T23:30:00"

# Installed as a school installs it, without recommends; the guest's own
# packages again too, so that a list grown since the tree was made is met.
cp "$deb" "$root/tmp/velmar-dorl.deb"
mnt "$root/proc" -t proc proc
mnt "$root/sys" -t sysfs sys
mnt "$root/dev" --rbind /dev
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
in_root dpkg --purge velmar-dorl >/dev/null 2>&1 || true
in_root apt-get update -qq
# shellcheck disable=SC2086
in_root apt-get install -y -qq --no-install-recommends $guest_packages /tmp/velmar-dorl.deb >/dev/null
in_root apt-get clean
rm -f "$root/tmp/velmar-dorl.deb"

# The school's PC: a bell user that GDM logs on, Turkish, the clock in UTC.
if ! in_root id -u bell >/dev/null 2>&1; then
    in_root useradd -m -u 1000 -s /bin/bash -c "Zil" bell
fi
grep -q '^tr_TR.UTF-8' "$root/etc/locale.gen" 2>/dev/null || echo 'tr_TR.UTF-8 UTF-8' >>"$root/etc/locale.gen"
in_root locale-gen >/dev/null
echo 'LANG=tr_TR.UTF-8' >"$root/etc/default/locale"
cat >"$root/etc/gdm3/daemon.conf" <<'CONF'
[daemon]
AutomaticLoginEnable=true
AutomaticLogin=bell
CONF
echo velmar-guest >"$root/etc/hostname"
echo '/dev/vda / ext4 rw,errors=remount-ro 0 1' >"$root/etc/fstab"
ln -sf /usr/share/zoneinfo/Etc/UTC "$root/etc/localtime"
# A journal kept on disk, to read the last boot's power-off.
mkdir -p "$root/var/log/journal"

# The program's first start by hand (here without a display): it registers
# its start at log-on as it does on any PC. Its modal "no mixer" notice
# keeps it running; it is ended once the entry is there.
home=$root/home/bell
rm -rf "$home/.config/VelmarDorl" "$home/.config/autostart"
rm -f "$root/tmp/first.pid"
# shellcheck disable=SC2016
in_root runuser -u bell -- sh -c 'echo $$ >/tmp/first.pid; HOME=/home/bell QT_QPA_PLATFORM=offscreen exec velmar-dorl' \
    >/dev/null 2>&1 &
first=$!
for _ in $(seq 120); do
    [ -s "$home/.config/autostart/velmar-dorl.desktop" ] && break
    sleep 0.5
done
[ -s "$root/tmp/first.pid" ] && kill "$(cat "$root/tmp/first.pid")" 2>/dev/null
wait "$first" 2>/dev/null || true
rm -f "$root/tmp/first.pid"
# The sound server's client left a note of the chroot's (absent) server.
rm -rf "$home/.config/pulse"
[ -s "$home/.config/autostart/velmar-dorl.desktop" ] || {
    echo "The program did not register its log-on start at its first start" >&2
    exit 1
}
# The bell user's timetable, in the program's settings file: the weekday
# table rings only at $first_bell (student entry, the day's first) and
# $last_bell (exit, the day's last); no break music.
ini=$home/.config/VelmarDorl/VelmarDorl.ini
mkdir -p "$(dirname "$ini")"
{
    echo '[Saatler]'
    for cell in $(seq 0 17); do
        case $cell in
        0) t=$first_bell ;;
        2) t=$last_bell ;;
        *) t=__:__ ;;
        esac
        echo "timex%28$cell%29=$t"
    done
    echo '[M%U00FCzik]'
    echo 'Aktif=0'
} >"$ini"
in_root chown -R bell:bell /home/bell

# What a deliberate fault looks like to the checks (to see them fail).
case "${VELMAR_GUEST_BREAK:-}" in
"") ;;
polkit) rm -f "$root/usr/share/polkit-1/rules.d/50-velmar-dorl-wake.rules" ;;
poweron) sed -i 's|^ExecStop=.*|ExecStop=/bin/true|' "$root/lib/systemd/system/velmar-dorl-poweron.service" ;;
*) echo "VELMAR_GUEST_BREAK: polkit or poweron" >&2; exit 2 ;;
esac
rm -f "$root/usr/sbin/policy-rc.d"
cleanup_mounts

# A fresh disk from the tree for each run.
mkdir -p "$work"
rm -f "$work/disk.img"
mke2fs -q -t ext4 -d "$root" -L root "$work/disk.img" 8G
# The kernel Debian links from the tree's root (a relative link into boot/).
kernel=$(realpath "$root/vmlinuz")
initrd=$(realpath "$root/initrd.img")
echo "Guest disk made ($(($(date +%s) - start)) s so far)"

status=0
nice python3 "$here/guest.py" --kernel "$kernel" --initrd "$initrd" --disk "$work/disk.img" \
    --work "$work" --boot-at "$boot_at" --first-bell "$first_bell" --last-bell "$last_bell" || status=$?
echo "Total: $(($(date +%s) - start)) s"
exit $status
