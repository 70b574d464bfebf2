#!/bin/bash
# Every menu entry in data/ passes the desktop-file-validate of the release
# the package targets, without a single warning or error. Exit 77 (skip)
# where the validator is not installed.
set -u
dir="${1:?usage: validate_desktop.sh DATA_DIR}"
command -v desktop-file-validate >/dev/null || { echo "desktop-file-validate is not installed"; exit 77; }
shopt -s nullglob
files=("$dir"/*.desktop)
[ ${#files[@]} -gt 0 ] || { echo "no .desktop file in $dir"; exit 1; }
status=0
for f in "${files[@]}"; do
  out="$(desktop-file-validate "$f" 2>&1)"
  rc=$?
  if [ $rc -ne 0 ] || [ -n "$out" ]; then
    echo "$(basename "$f"): ${out:-desktop-file-validate exited $rc}"
    status=1
  fi
done
exit $status
