# shellcheck shell=bash
# Sourced by the scripts that make a Debian tree with debootstrap: sets
# $mirror to the Debian mirror this machine's apt uses (VELMAR_DEBIAN_MIRROR
# overrides it), and deb.debian.org when none is found.
mirror="${VELMAR_DEBIAN_MIRROR:-$(grep -hsoE "^(URIs:|deb)[[:space:]]+[^[:space:]]*debian[^[:space:]]*" \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources |
    awk '{print $2}' | grep -vE "debian-security|cloud|nodesource" | grep -E "/debian/?$" | head -n1 || true)}"
mirror="${mirror:-http://deb.debian.org/debian}"
