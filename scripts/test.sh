#!/usr/bin/env bash
# Sets everything up, then runs the whole test suite twice: once on a normal
# build and once built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/setup.sh

jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen
export TONQUILL_HEADLESS=1

log="$(mktemp)"
trap 'rm -f "$log"' EXIT

echo "== tests =="
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300 | tee -a "$log"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
BUILD_DIR="$here/build-asan" CMAKE_EXTRA="-DTONQUILL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug" bash scripts/setup.sh
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600 | tee -a "$log"

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing =="
  bash scripts/fuzz.sh
fi
# Both runs passed (set -o pipefail stops the script otherwise).
total=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | awk '{s+=$1} END {print s+0}')
echo "== all tests passed =="
echo "tests: $total passed, 0 failed"
