#!/usr/bin/env bash
# Builds kilnbook and runs it on a fresh copy of the example installation.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing "${BUILD_PACKAGES[@]}"

cmake --preset release -DKILNBOOK_BUILD_TESTS=OFF >/dev/null
cmake --build --preset release --target kilnbook

site=build/example
rm -rf "$site"
mkdir -p "$site/www"
cp -R examples/. "$site/"
# The example's PATH is www/, where kilnbook reads its stylesheets.
cp stylesheets/*.xsl "$site/www/"
(cd "$site" && ../release/kilnbook)
echo "Example run finished in $site."
echo "Open the front page: file://$(pwd)/$site/www/kilnbook.html"
