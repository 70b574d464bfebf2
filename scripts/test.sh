#!/usr/bin/env bash
# Sets everything up, then runs the whole test suite: the end-to-end tests
# (the real programs, servers, desktops and packages) on a normal build, every
# other test on a build with AddressSanitizer and UndefinedBehaviorSanitizer,
# then the fuzz targets. Each test program is compiled once. The closing line counts what ctest itself recorded
# in both runs: passed, failed and skipped (a skip is not a pass), and every
# skip is listed with its reason.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

BUILD_TARGET=without_unit_tests bash scripts/setup.sh

jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen
export TONQUILL_HEADLESS=1

results="$(mktemp -d)"
trap 'rm -rf "$results"' EXIT

status=0

# The sanitizer build and the fuzz targets are built meanwhile, at the lowest
# priority: the end-to-end tests mostly wait on servers and streams, and the
# build takes the processor time they leave, never the time they need.
# (Line tables are enough for the sanitizers' stack traces.)
background_build() {
  BUILD_DIR="$here/build-asan" \
  CMAKE_EXTRA="-DTONQUILL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DTONQUILL_TOOLS=OFF -DTONQUILL_E2E_TESTS=OFF" \
    bash scripts/setup.sh || return 1
  if [ -x scripts/fuzz.sh ]; then FUZZ_BUILD_ONLY=1 bash scripts/fuzz.sh || return 1; fi
}
nice -n 19 bash -c "$(declare -f background_build); here='$here'; background_build" >"$results/build.log" 2>&1 &
builder=$!
trap 'kill "$builder" 2>/dev/null || true; rm -rf "$results"' EXIT

# The end-to-end tests drive the real programs and servers as they are
# shipped, unsanitized; the unit tests run under the sanitizers only, which
# keeps the whole command within its time.
echo "== end-to-end tests == (after ${SECONDS} s)"
ctest --test-dir build -L e2e --output-on-failure -j"$jobs" --timeout 300 \
      --output-junit "$results/tests.xml" || status=1

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer == (after ${SECONDS} s)"
if ! wait "$builder"; then
  cat "$results/build.log"
  status=1
fi
echo "(the sanitizer build and the fuzz targets were ready after ${SECONDS} s)"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600 \
        --output-junit "$results/tests-asan.xml" || status=1

fuzz="not run"
if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing == (after ${SECONDS} s)"
  # A short run of every target keeps the suite within its time; scripts/fuzz.sh
  # alone runs longer.
  if FUZZ_SECONDS="${FUZZ_SECONDS:-10}" bash scripts/fuzz.sh; then fuzz="passed"; else fuzz="FAILED"; status=1; fi
fi

# ctest's own record of every test: <testcase status="run|fail|notrun|disabled">.
python3 - "$results/tests.xml" "$results/tests-asan.xml" <<'EOF' || status=1
import re
import sys
import xml.etree.ElementTree as ET

passed = failed = skipped = 0
skips = []
failures = []
for path, run in zip(sys.argv[1:], ("e2e", "asan")):
    try:
        cases = ET.parse(path).getroot().iter("testcase")
    except (OSError, ET.ParseError) as e:
        print("test.sh: no results from the %s run (%s)" % (run, e))
        failed += 1
        continue
    for case in cases:
        name = "%s: %s" % (run, case.get("name"))
        state = case.get("status")
        skip = case.find("skipped")
        why = skip.get("message", "") if skip is not None else ""
        # A test ctest could not start is "notrun" too, but it is a failure.
        wanted_skip = state == "disabled" or why.startswith(("SKIP_", "Disabled"))
        if case.find("failure") is not None or state == "fail" or (state == "notrun" and not wanted_skip):
            failed += 1
            failures.append("%s (%s)" % (name, why) if why else name)
        elif wanted_skip:
            skipped += 1
            out = case.findtext("system-out") or ""
            # GoogleTest prints the skip's message between "Skipped" and
            # "[  SKIPPED ]"; the GUI tests say "missing tool: ...".
            m = re.search(r"Skipped\s*\n(.*?)\n\[  SKIPPED \]", out, re.S)
            reason = m.group(1).strip() if m else ""
            if not reason:
                lines = [l for l in out.splitlines() if "missing tool" in l] or \
                        [l for l in out.splitlines() if l.strip()]
                reason = lines[-1].strip() if lines else "no reason given"
            skips.append("%s (%s)" % (name, reason.replace("\n", " ")))
        else:
            passed += 1
for s in skips:
    print("skipped: " + s)
for f in failures:
    print("failed: " + f)
print("tests: %d passed, %d failed, %d skipped" % (passed, failed, skipped))
sys.exit(1 if failed else 0)
EOF
echo "fuzzing: $fuzz"
echo "test.sh: ${SECONDS} s in all"
exit "$status"
