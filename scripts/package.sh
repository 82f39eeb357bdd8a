#!/usr/bin/env bash
# Makes the Debian package a school installs without a compiler:
#   scripts/package.sh        -> build-package/velmar-dorl_<version>_amd64.deb
# then: sudo apt-get install ./build-package/velmar-dorl_*_amd64.deb
# VELMAR_BUILD_DIR may name an existing build to package.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
# shellcheck disable=SC2086
install_packages $BUILD_PACKAGES dpkg-dev

build="${VELMAR_BUILD_DIR:-}"
if [ -z "$build" ]; then
    build=build-package
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" --target velmar-dorl
fi
rm -f "$build"/velmar-dorl_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/velmar-dorl_*_amd64.deb)
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net data/velmar-dorl.metainfo.xml >/dev/null
fi
echo "$deb"
