#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the demo need,
# then configures and builds the project. Safe to run again: when everything
# is installed it only builds.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-multimedia-dev qt6-httpserver-dev qt6-websockets-dev libqt6opengl6-dev libqt6sql6-sqlite
  qt6-image-formats-plugins
  libmpg123-dev libasound2-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libburn-dev libtag1-dev libicu-dev zlib1g-dev libssl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  icecast2 ffmpeg lame sox mpg123 at bchunk cuetools xvfb xauth
  curl streamripper id3v2 python3 openssl ca-certificates
  at-spi2-core python3-pyatspi dbus dbus-x11 trayer imagemagick x11-utils xdotool
  playerctl python3-dbus python3-gi pulseaudio pulseaudio-utils
  xdg-utils desktop-file-utils appstream lintian shared-mime-info dpkg-dev
  debhelper man-db ccache mold
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n fonts-wqy-microhei
  chromium chromium-driver python3-selenium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ "${1:-}" = "--packages-only" ]; then
  exit 0
fi

build="${BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_EXTRA:-} >/dev/null
# BUILD_TARGET builds one target only (the test command's plain pass builds
# `without_unit_tests`).
cmake --build "$build" -j"$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
