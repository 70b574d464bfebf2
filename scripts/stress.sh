#!/usr/bin/env bash
# Runs the built test suite N times in a row (default 20) beside a CPU load
# of stress-ng on every core, and lists every test that failed in any run.
#   bash scripts/stress.sh [runs] [ctest arguments...]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
runs="${1:-20}"
shift || true
command -v stress-ng >/dev/null || { echo "stress: stress-ng is needed (apt-get install stress-ng)" >&2; exit 2; }
[ -d "$build" ] || { echo "stress: build $build first (bash scripts/setup.sh)" >&2; exit 2; }

stress-ng --cpu "$(nproc)" --timeout 0 >/dev/null 2>&1 &
load=$!
trap 'kill $load 2>/dev/null; wait $load 2>/dev/null' EXIT

log="$(mktemp -d /tmp/tonquill-stress-XXXXXX)"
failed_runs=0
for i in $(seq 1 "$runs"); do
  start=$(date +%s)
  if ctest --test-dir "$build" -j"$(nproc)" --timeout 600 --output-on-failure "$@" >"$log/run-$i.log" 2>&1; then
    echo "run $i: passed ($(( $(date +%s) - start )) s)"
  else
    failed_runs=$((failed_runs + 1))
    echo "run $i: FAILED ($(( $(date +%s) - start )) s):"
    sed -n '/The following tests FAILED:/,$p' "$log/run-$i.log" | grep -E '^\s+[0-9]+ - ' | sed 's/^/    /'
  fi
done
echo "stress: $((runs - failed_runs)) of $runs runs passed under load; logs in $log"
[ "$failed_runs" -eq 0 ]
