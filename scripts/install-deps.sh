#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build needs; quiet and quick when all are present.
#   install-deps.sh            the Linux build, its tests, sanitizer builds and packages
#   install-deps.sh build      only what building the programs takes (enough for `make demo`)
#   install-deps.sh windows    the Windows cross build: mingw-w64, wine to run its tests and
#                              programs, nsis for the installer, GoogleTest's source
set -euo pipefail

# What building the programs needs (enough for `make demo`).
packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-serialport-dev libgl-dev
  # Qt SVG only for the program's icon: rendered to PNG at build time, and loaded by the
  # desktop program through its icon engine plugin. The readings chart needs Qt GUI alone.
  qt6-svg-dev libqt6svg6
)
if [ "${1:-}" = windows ]; then
  packages=(
    cmake ninja-build ccache googletest
    g++-mingw-w64-x86-64-posix wine wine64 nsis
    # Fonts for Qt's offscreen platform in the GUI tests under wine (it reads a font folder),
    # and wine's own (Tahoma, Marlett) for the pictures and the clicks on Xvfb, as on Windows
    fonts-dejavu-core fonts-wine
  )
elif [ "${1:-all}" != build ]; then
  # What the whole test suite, the sanitizer builds and the packages need besides.
  packages+=(
    clang libclang-rt-14-dev
    python3 xvfb xauth xdotool time desktop-file-utils
    # The GUI tests on the accessibility bus, and a screen reader (speech off) with a window
    # manager that listens to a backup
    dbus-daemon dbus-bin at-spi2-core procps orca openbox
    scdoc dpkg-dev fakeroot file lintian appstream man-db
    dosfstools fusefat
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing build packages: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
