#!/usr/bin/env bash
# Makes the Debian package a school installs without a compiler:
#   scripts/package.sh        -> build-package/velmar-dorl_<version>_amd64.deb
# then: sudo apt-get install ./build-package/velmar-dorl_*_amd64.deb
# Its own build (VELMAR_PACKAGE_BUILD_DIR, default build-package) takes Debian's
# flags from dpkg-buildflags; VELMAR_BUILD_DIR may name an existing build to
# package as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/utf8.sh
. scripts/packages.sh
# shellcheck disable=SC2086
install_packages $BUILD_PACKAGES dpkg-dev

build="${VELMAR_BUILD_DIR:-}"
if [ -z "$build" ]; then
    build="${VELMAR_PACKAGE_BUILD_DIR:-build-package}"
    # Debian's hardening: fortified functions, stack protector, read-only
    # relocations bound at start. CMake reads no CPPFLAGS: they go with CXXFLAGS.
    eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
    # shellcheck disable=SC2153 # CPPFLAGS comes from dpkg-buildflags above
    export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # A build configured before with other flags would keep them.
    rm -f "$build/CMakeCache.txt"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF "${launcher[@]}" >/dev/null
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
