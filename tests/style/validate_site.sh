#!/usr/bin/env bash
# Checks every HTML page under a site directory with the W3C Nu HTML checker.
# Usage: validate_site.sh SITE_DIR NPM_DIR
# The checker comes from the npm package vnu-jar, installed into NPM_DIR (a
# folder of the build tree) on first use, and runs on the machine's Java.
# Exits 77 (skipped) when Java or npm is missing, unless CI is set.
set -euo pipefail
site=$1
npm_dir=$2
skip() {
  echo "$1: scripts/test.sh installs it"
  if [ -n "${CI:-}" ]; then exit 1; fi
  exit 77
}
command -v java >/dev/null || skip "java is missing"
jar="$npm_dir/node_modules/vnu-jar/build/dist/vnu.jar"
if [ ! -f "$jar" ]; then
  command -v npm >/dev/null || skip "npm is missing"
  mkdir -p "$npm_dir"
  # --ignore-scripts: the package's own install step would fetch a Java.
  npm install --prefix "$npm_dir" --no-save --no-audit --no-fund --ignore-scripts \
    vnu-jar@26.9.27 >/dev/null
fi
pages=()
while IFS= read -r -d '' page; do pages+=("$page"); done \
  < <(find "$site" -name '*.html' -print0 | sort -z)
if [ ${#pages[@]} -eq 0 ]; then
  echo "no HTML page under $site"
  exit 1
fi
if java -jar "$jar" --errors-only --also-check-css "${pages[@]}"; then
  echo "${#pages[@]} passed, 0 failed"
else
  echo "0 passed, 1 failed (pages with errors are listed above)"
  exit 1
fi
