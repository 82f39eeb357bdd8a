#!/usr/bin/env bash
# Installs what is missing, builds, and starts Velmar Dorl on its built-in sounds.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/utf8.sh
. scripts/packages.sh
# shellcheck disable=SC2086
install_packages $BUILD_PACKAGES $RUN_PACKAGES
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release -j"$(nproc)"
exec build-release/src/velmar-dorl "$@"
