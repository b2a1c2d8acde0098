#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are missing, when run
# as root; otherwise only says which are missing. Sourced by the other scripts.
install_missing() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "Missing packages (install them as root): ${missing[*]}" >&2
    return 1
  fi
}

# nlohmann-json3-dev writes the JSON feed of the extended statistics.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libxslt1-dev libxml2-dev libxxhash-dev
  nlohmann-json3-dev)
# Beside GoogleTest: dpkg-dev (dpkg-shlibdeps for the package's dependencies),
# groff-base and man-db (the manual page check), systemd (systemd-analyze for
# the unit check), python3-jsonschema (the feed against its schema),
# python3-prometheus-client (the --metrics file through Prometheus' parser),
# bash-completion (the completion of the options), clang-format (the code's
# format against .clang-format).
TEST_PACKAGES=(libgtest-dev dpkg-dev groff-base man-db systemd python3-jsonschema
  python3-prometheus-client bash-completion clang-format)
PACKAGE_PACKAGES=(dpkg-dev)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The page tests: xsltproc renders, the W3C checker (npm's vnu-jar, fetched
# into the build tree by the test) runs on Java, chromium renders in a browser.
PAGE_TEST_PACKAGES=(python3 xsltproc default-jre-headless chromium)

# npm comes with some Node.js builds and separately with Debian's.
install_npm_when_missing() {
  command -v npm >/dev/null || install_missing npm
}
