#!/usr/bin/env bash
# Builds the two programs and their Debian package:
# build/tonquill_<version>_amd64.deb (BUILD_DIR to build elsewhere).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_EXTRA:-} >/dev/null
else
  cmake "$build" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target tonquill discwright tonquill_help tonquill_changelog
(cd "$build" && cpack --config CPackConfig.cmake -G DEB >/dev/null)
rm -rf "$build/_CPack_Packages"
ls "$build"/tonquill_*_*.deb
