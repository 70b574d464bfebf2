#!/usr/bin/env bash
# Takes the screenshots kept in data/screenshots (listed in the AppStream
# metadata) from the built programs under Xvfb:
#   bash scripts/screenshots.sh [build folder with app/tonquill and app/discwright]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TONQUILL_BUILD_DIR="$(cd "${1:-$here/build}" && pwd)"
export SCREENSHOT_DIR="$here/data/screenshots"
bash "$here/tests/e2e/gui/run_gui_test.sh" "$here/data/screenshots/take_screenshots.py"
ls -l "$SCREENSHOT_DIR"/*.png
