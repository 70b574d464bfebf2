#!/usr/bin/env bash
# Builds the Debian packages from the debian/ folder with dpkg-buildpackage:
# build/tonquill_<version>_amd64.deb, build/discwright_<version>_amd64.deb
# and their debug symbols, build/*-dbgsym_<version>_amd64.deb (BUILD_DIR to
# put them elsewhere).
#
#   bash scripts/package.sh                        # the packages
#   bash scripts/package.sh --check-reproducible   # builds twice and compares
#                                                  # (the second time without ccache)
#
# The tree is copied (what git tracks plus new files it does not ignore) into
# one fixed folder, PACKAGE_STAGE (/tmp/tonquill-package-<uid>), so the build
# never writes into the checkout and every checkout builds at the same path:
# the packages do not depend on where the checkout lies, and the compiler
# cache on PATH (/usr/lib/ccache, used when present) serves every checkout.
# A lock lets one package build at a time use that folder.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
stage="${PACKAGE_STAGE:-${TMPDIR:-/tmp}/tonquill-package-$(id -u)}"
jobs="${JOBS:-$(nproc)}"

# The tree as it is now, once: both builds of a reproducibility check build
# the same sources even when the checkout changes meanwhile.
snapshot() {
  rm -rf "${stage:?}"/*
  if git -C "$here" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$here" && git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
      [ -e "$f" ] && printf '%s\0' "$f"; done | tar --null -T - -cf -) >"$stage/source.tar"
  else
    tar -C "$here" --exclude=./build --exclude=./.git -cf - . >"$stage/source.tar"
  fi
}

# One package build; the .debs, .buildinfo and .changes land in $1.
build_once() {
  local out="$1"
  rm -rf "$stage/tonquill"
  mkdir -p "$stage/tonquill"
  tar -xf "$stage/source.tar" -C "$stage/tonquill"
  [ -d /usr/lib/ccache ] && export PATH="/usr/lib/ccache:$PATH"
  (cd "$stage/tonquill" && DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }parallel=$jobs" \
      dpkg-buildpackage -us -uc -b >"$stage/build.log" 2>&1) \
    || { tail -n 60 "$stage/build.log" >&2; echo "package: dpkg-buildpackage failed (full log: $stage/build.log)" >&2; exit 1; }
  mkdir -p "$out"
  mv "$stage"/*.deb "$stage"/*.buildinfo "$stage"/*.changes "$out"/
}

mkdir -p "$build" "$stage"
exec 9>"$stage.lock"
flock 9
snapshot
if [ "${1:-}" = "--check-reproducible" ]; then
  first="$build/deb-first"
  rm -rf "$first"
  build_once "$first"
  rm -f "$build"/tonquill*_*.deb "$build"/discwright*_*.deb
  # The second build compiles everything again (no compiler cache) in another
  # time zone and with another umask, so only what the sources decide counts.
  (export CCACHE_DISABLE=1 TZ=Etc/GMT-14; umask 0002; build_once "$build")
  status=0
  for f in "$first"/*.deb; do
    if cmp -s "$f" "$build/$(basename "$f")"; then
      echo "reproducible: $(basename "$f")"
    else
      echo "DIFFERS: $(basename "$f")"
      status=1
    fi
  done
  if [ "$status" -eq 0 ]; then rm -rf "$first"; else echo "the first build's packages are kept in $first"; fi
  exit "$status"
fi

rm -f "$build"/tonquill*_*.deb "$build"/discwright*_*.deb
build_once "$build"
ls "$build"/tonquill*_*.deb "$build"/discwright*_*.deb
