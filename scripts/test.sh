#!/usr/bin/env bash
# Builds every test, plain and with the sanitizers, and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${PAGE_TEST_PACKAGES[@]}"
install_npm_when_missing

status=0
for preset in debug asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2 || status=1
done
exit $status
