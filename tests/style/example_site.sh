#!/usr/bin/env bash
# Runs kilnbook on a fresh copy of the example installation, so the page
# tests can check the pages of a real run.
# Usage: example_site.sh KILNBOOK_BINARY SITE_DIR
# SITE_DIR becomes the example's PATH directory (front page, server folders).
set -euo pipefail
binary=$1
site=$2
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(dirname "$site")/example-run"
rm -rf "$work" "$site"
mkdir -p "$work/www"
cp -R "$source_dir/examples/." "$work/"
cp "$source_dir"/stylesheets/*.xsl "$work/www/"
(cd "$work" && "$binary")
mv "$work/www" "$site"
