#!/usr/bin/env bash
# Checks the code's format, runs each fuzz target for a few seconds, then
# builds every test, plain and with the sanitizers, and runs them all; then
# the tests that start threads under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${PAGE_TEST_PACKAGES[@]}" \
  "${FUZZ_PACKAGES[@]}"
install_npm_when_missing

status=0
# The code keeps the committed .clang-format.
find src tests bench fuzz \( -name '*.cc' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror || status=1
# A short run of every fuzz target; scripts/fuzz.sh SECONDS runs them longer.
scripts/fuzz.sh 5 || status=1
for preset in debug asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2 || status=1
done
# Only the threaded tests: the tsan preset builds just them and the library.
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan -j2 || status=1
exit $status
