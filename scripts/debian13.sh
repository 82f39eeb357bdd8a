#!/usr/bin/env bash
# shellcheck disable=SC2016,SC2317 # the script given to bash -c in single quotes; cleanup runs from a trap
# Runs a command of this source tree inside a Debian 13 "trixie" chroot, as root:
#   scripts/debian13.sh                      # the README's test command, scripts/test.sh
#   scripts/debian13.sh scripts/package.sh   # the package for Debian 13 / Pardus 25
#   scripts/debian13.sh bash                 # a shell there
#   scripts/debian13.sh --ci                 # CI's share: the normal build, the unit,
#                                            # PipeWire and package tests
# The chroot is made once with debootstrap (minbase) and kept in
# VELMAR_TRIXIE_ROOT (default /var/cache/velmar-dorl/trixie); later runs only
# update it. The source tree is copied to /src/velmar-dorl in it (its build
# folders there are kept, so a second run builds only what changed); the
# package lands in build-package/debian13/ of this tree. /tmp is a tmpfs, as
# Debian 13 mounts it. Everything mounted is unmounted on exit, failed or not.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/utf8.sh
src=$PWD
root="${VELMAR_TRIXIE_ROOT:-/var/cache/velmar-dorl/trixie}"

# The mirror this machine's apt uses, unless given.
. scripts/debian-mirror.sh
security="${VELMAR_SECURITY_MIRROR:-$(grep -hsoE "^(URIs:|deb)[[:space:]]+[^[:space:]]*debian-security/?" \
    /etc/apt/sources.list /etc/apt/sources.list.d/* | awk '{print $2}' | head -n1 || true)}"
security="${security:-http://deb.debian.org/debian-security}"

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=VELMAR_TRIXIE_ROOT,VELMAR_DEBIAN_MIRROR,VELMAR_SECURITY_MIRROR "$0" "$@"
fi
# A private mount namespace: whatever is mounted below vanishes with this
# script even if it is killed; the trap unmounts it on an ordinary exit.
if [ -z "${VELMAR_IN_NS:-}" ]; then
    VELMAR_IN_NS=1 exec unshare --mount --propagation private "$0" "$@"
fi
[ $# -gt 0 ] || set -- scripts/test.sh
if [ "$1" = --ci ]; then
    # The whole test command from a cold chroot takes longer than CI has:
    # CI takes what differs most on Debian 13.
    set -- bash -c '
        set -euo pipefail
        . scripts/packages.sh
        install_packages $BUILD_PACKAGES $RUN_PACKAGES $TEST_PACKAGES
        cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMAR_WERROR=ON >/dev/null
        cmake --build build-test -j"$(nproc)"
        status=0
        scripts/with-test-services.sh ctest --test-dir build-test --output-on-failure \
            -j"$(nproc)" -L unit || status=1
        scripts/with-test-services.sh ctest --test-dir build-test --output-on-failure \
            -R "^e2e_package\$" || status=1
        VELMAR_SOUND_SERVER=pipewire scripts/with-test-services.sh ctest --test-dir build-test \
            --output-on-failure -R "^(tst_mixer|tst_player|tst_outputs_rig|e2e_bell)\$" || status=1
        exit $status'
fi

command -v debootstrap >/dev/null || {
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
}

mounts=()
cleanup() {
    local status=$? pid i ns
    # Whatever this run left running in the chroot (a stray server) goes
    # first, or its open files would keep the mounts busy; another run's
    # processes live in another mount namespace and are left alone.
    ns=$(readlink /proc/$$/ns/mnt)
    for pid in /proc/[0-9]*; do
        pid=${pid#/proc/}
        if [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] &&
            [ "$(readlink "/proc/$pid/ns/mnt" 2>/dev/null)" = "$ns" ]; then
            kill -9 "$pid" 2>/dev/null || true
        fi
    done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount -R "${mounts[i]}" 2>/dev/null || umount -R -l "${mounts[i]}" || true
    done
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

mnt() { # mnt TARGET mount-arguments...
    local target=$1
    shift
    mkdir -p "$target"
    mount "$@" "$target"
    mounts+=("$target")
}

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"
}

start=$(date +%s)
if [ ! -e "$root/.velmar-ready" ]; then
    echo "Making the Debian 13 chroot in $root from $mirror"
    rm -rf "$root"
    mkdir -p "$root"
    debootstrap --variant=minbase trixie "$root" "$mirror"
    cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror trixie main
deb $mirror trixie-updates main
deb $security trixie-security main
EOF
    # Packages installed in the chroot start no services.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    printf 'APT::Install-Recommends "false";\nAcquire::Languages "none";\nDPkg::Lock::Timeout "600";\n' >"$root/etc/apt/apt.conf.d/90velmar"
    touch "$root/.velmar-ready"
    fresh=1
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

mnt "$root/proc" -t proc proc
mnt "$root/sys" -t sysfs sysfs
mnt "$root/dev" --rbind /dev
mnt "$root/run" -t tmpfs -o mode=0755,nosuid,nodev tmpfs
mnt "$root/tmp" -t tmpfs -o mode=1777,nosuid,nodev tmpfs

if [ -z "${fresh:-}" ]; then
    in_root apt-get update -qq
fi
in_root apt-get -y -qq dist-upgrade >/dev/null
echo "chroot ready: $(($(date +%s) - start)) s, Debian $(cat "$root/etc/debian_version")"

# The tree as git sees it (changes not committed included), with its times
# kept so the build folders there rebuild only what changed.
dest="$root/src/velmar-dorl"
mkdir -p "$dest"
find "$dest" -mindepth 1 -maxdepth 1 ! -name 'build*' -exec rm -rf {} +
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
    [ -e "$f" ] && printf '%s\0' "$f"
done | tar -C "$src" --null -T - -cf - | tar -C "$dest" -xf -

status=0
in_root sh -c 'cd /src/velmar-dorl && exec "$@"' sh "$@" || status=$?
if ls "$dest"/build-package/velmar-dorl_*.deb >/dev/null 2>&1; then
    mkdir -p "$src/build-package/debian13"
    cp "$dest"/build-package/velmar-dorl_*.deb "$src/build-package/debian13/"
fi
echo "Debian 13 run of $*: $(($(date +%s) - start)) s, status $status"
exit $status
