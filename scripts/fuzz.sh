#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS seconds (default 5)
# from the seeds in fuzz/corpus. Fails when any target finds a crash, a leak,
# a hang or undefined behaviour. New inputs go to build/fuzz/corpus, never
# into the source tree; findings are written to build/fuzz/findings.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in fuzz/corpus/*/; do
    targets+=("$(basename "$seeds")")
  done
fi
mkdir -p build/fuzz/findings
status=0
for target in "${targets[@]}"; do
  if [ ! -x "build/fuzz/${target}_fuzzer" ]; then
    echo "fuzz target $target: not built in this tree"
    continue
  fi
  mkdir -p "build/fuzz/corpus/$target"
  if ! "build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$PWD/build/fuzz/findings/$target-" \
      "$PWD/build/fuzz/corpus/$target" "$PWD/fuzz/corpus/$target" \
      >"build/fuzz/$target.out" 2>&1; then
    echo "fuzz target $target failed:"
    tail -40 "build/fuzz/$target.out"
    status=1
  else
    echo "fuzz target $target: $(grep -E '^Done' "build/fuzz/$target.out")"
  fi
done
exit $status
