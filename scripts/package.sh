#!/usr/bin/env bash
# Builds the Debian package of kilnbook (installing below /usr) into
# build/package/ and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

cmake --preset release -DKILNBOOK_BUILD_TESTS=OFF >/dev/null
cmake --build --preset release --target kilnbook
rm -rf build/package
(cd build/release && cpack -G DEB -B ../package >/dev/null)
ls build/package/kilnbook_*.deb
