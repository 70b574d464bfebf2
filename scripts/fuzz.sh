#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs each one
# for FUZZ_SECONDS (default 30) from its seed corpus. Fails on any crash,
# leak, sanitizer report or broken check.
#   FUZZ_SECONDS=300 scripts/fuzz.sh            all targets, 5 minutes each
#   scripts/fuzz.sh fuzz_demux fuzz_header      some of them
#   FUZZ_BUILD_ONLY=1 scripts/fuzz.sh            builds them, runs none
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"
seconds="${FUZZ_SECONDS:-30}"

cxx="${FUZZ_CXX:-}"
if [ -z "$cxx" ]; then
  for c in clang++ clang++-14; do
    if command -v "$c" >/dev/null; then cxx="$c"; break; fi
  done
fi
if [ -z "$cxx" ]; then
  echo "fuzz: clang++ is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi

targets=(fuzz_demux fuzz_ogg fuzz_curi fuzz_playlist fuzz_preset fuzz_header fuzz_stationplaylist fuzz_stationfile
         fuzz_hlsplaylist fuzz_hlssegment)
if [ "$#" -gt 0 ]; then targets=("$@"); fi

cmake -S "$here/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
if [ -n "${FUZZ_BUILD_ONLY:-}" ]; then exit 0; fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp"
export QT_QPA_PLATFORM=offscreen

failed=()
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  mkdir -p "$work" "$artifacts"
  log="$build/$t.log"
  max_len=4096
  if [ "$t" = fuzz_demux ] || [ "$t" = fuzz_ogg ]; then max_len=70000; fi   # room for an over-long header or page
  if [ "$t" = fuzz_stationfile ]; then max_len=20000; fi  # room for lines past their bound
  echo "fuzz: $t for ${seconds}s"
  status=0
  "$build/$t" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" \
      "$work" "$here/fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || grep -qE "ERROR: (Address|Leak|Undefined)Sanitizer|runtime error:|==ERROR:" "$log"; then
    echo "fuzz: $t FAILED (exit $status); log $log, inputs in $artifacts" >&2
    tail -n 40 "$log" >&2
    failed+=("$t")
  else
    grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$log" | tail -n 2 | sed "s/^/fuzz: $t: /"
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: all targets ran clean"
