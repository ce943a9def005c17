#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds Qt (Core, Gui, Widgets, Test and the Windows platform and style plugins) for
# x86_64-w64-mingw32 from Debian's own qt6-base source, against Debian's host tools (moc,
# rcc, uic), and installs it into a cache folder outside the work tree:
#   /var/cache/vantrel-build/qt-mingw-6.4.2-<hash of this script and its patch>
# A finished install (its stamp file is written last) is reused at once; a new recipe gets a
# new folder. The sources and the build folder live beside it and go after a good install.
#   build-qt-windows.sh            build unless present; prints the install folder last
#   build-qt-windows.sh --prefix   prints the install folder only (it may not exist yet)
# VANTREL_BUILD_CACHE moves the cache folder; JOBS sets the parallel jobs (default 2).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
patch_file=$here/qt-windows.patch
qt_version=6.4.2
cache=${VANTREL_BUILD_CACHE:-/var/cache/vantrel-build}
recipe=$(cat "${BASH_SOURCE[0]}" "$patch_file" | sha256sum | cut -c1-12)
prefix=$cache/qt-mingw-$qt_version-$recipe
stamp=$prefix/.vantrel-complete

if [ "${1:-}" = "--prefix" ]; then
  echo "$prefix"
  exit 0
fi
if [ -f "$stamp" ]; then
  echo "$prefix"
  exit 0
fi
# One build at a time: a second caller waits for the first and then finds its install.
mkdir -p "$cache"
exec 9>"$cache/qt-mingw.lock"
flock 9
if [ -f "$stamp" ]; then
  echo "$prefix"
  exit 0
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

# The cross compiler (posix threads, for std::thread), apt's source tools and the host Qt
# whose moc, rcc and uic generate code for the target.
packages=(g++-mingw-w64-x86-64-posix dpkg-dev cmake ninja-build qt6-base-dev
          qt6-base-dev-tools perl python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "Adding Debian bookworm's source packages to apt"
  $SUDO tee /etc/apt/sources.list.d/vantrel-deb-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  refresh=1
fi
if [ ${#missing[@]} -gt 0 ] || [ -n "${refresh:-}" ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing ${missing[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
case $host_version in
  $qt_version*) ;;
  *) echo "The host Qt is $host_version; its tools must match Qt $qt_version" >&2; exit 1 ;;
esac

work=$cache/src-qt-mingw-$qt_version-$recipe
rm -rf "$work"
mkdir -p "$work"
cd "$work"
start=$(date +%s)
echo "Fetching qt6-base $qt_version source into $work"
apt-get source -qq "qt6-base=$host_version" >/dev/null 2>&1 || apt-get source -qq qt6-base
source_dir=$(find "$work" -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n 1)
[ -n "$source_dir" ] || { echo "no qt6-base source unpacked in $work" >&2; exit 1; }
patch -d "$source_dir" -p1 --forward <"$patch_file"

# The cross toolchain for Qt itself. Qt's DLLs use the shared C++ runtime; its three DLLs are
# copied beside Qt's so that the folder runs as it is.
cat >"$work/toolchain.cmake" <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

launcher=()
if command -v ccache >/dev/null; then
  # A restarted build after a fix recompiles almost nothing; its own cache keeps the
  # project's cache untouched.
  export CCACHE_DIR=$cache/ccache-mingw
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Only what the program needs. Host libraries must never be picked up (Qt searches the host
# Qt's folder as well), so every third-party library is Qt's bundled copy, and zstd is off:
# rcc then writes resources with --no-zstd, which a Qt without zstd can read. The +dfsg
# source has no wintab header, hence no tablet events.
# The build must fit a CI run on a new machine, so Qt is compiled at -O1 everywhere (Qt
# would use -O2, and -O3 for Core and Gui; a utility's dialogs do not feel the difference),
# and the modules' parts the programs never show are left out: the Direct2D platform
# plugin, PDF, ODF and Markdown documents, and widgets such as calendars, MDI areas, dock
# windows, wizards, colour and font dialogs and the graphics view.
optimise=(-DQT_USE_DEFAULT_CMAKE_OPTIMIZATION_FLAGS=ON
          "-DCMAKE_C_FLAGS_RELEASE=-O1 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG")
unused=()
for feature in direct2d pdf textodfwriter textmarkdownreader textmarkdownwriter movie \
    systemtrayicon undocommand calendarwidget datetimeedit mdiarea dockwidget mainwindow \
    toolbar toolbox wizard fontdialog fontcombobox colordialog inputdialog errormessage \
    progressdialog lcdnumber dial splashscreen syntaxhighlighter keysequenceedit columnview \
    graphicsview datawidgetmapper commandlinkbutton; do
  unused+=("-DFEATURE_$feature=OFF")
done
cmake -G Ninja -S "$source_dir" -B "$work/build" \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "${optimise[@]}" "${unused[@]}" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF -DFEATURE_tabletevent=OFF \
  -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_jpeg=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
  -DFEATURE_system_doubleconversion=OFF \
  -DFEATURE_widgets=ON -DFEATURE_testlib=ON

nice -n 19 cmake --build "$work/build" -j "${JOBS:-2}"
rm -rf "$prefix"
cmake --install "$work/build"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp "$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")" "$prefix/bin/"
done
elapsed=$(( $(date +%s) - start ))
printf 'qt6-base %s for x86_64-w64-mingw32, recipe %s, built in %d min %d s\n' \
  "$host_version" "$recipe" $((elapsed / 60)) $((elapsed % 60)) >"$stamp"
cat "$stamp"
cd "$cache"
rm -rf "$work"
echo "$prefix"
