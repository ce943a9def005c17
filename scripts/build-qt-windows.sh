#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds Qt (Core, Gui, Widgets, Test and the Windows platform and style plugins) for
# x86_64-w64-mingw32 from Debian's own qt6-base source, against Debian's host tools (moc,
# rcc, uic), and installs it into a cache folder outside the work tree:
#   /var/cache/vantrel-build/qt-mingw-6.4.2-<hash of the recipe in scripts/qt-windows/>
# The recipe is the folder scripts/qt-windows/: the toolchain, the options (what is built and
# how) and the patch. A finished install (its stamp file is written last) is reused at once;
# a new recipe gets a new folder. The sources and the build folder live beside it and go
# after a good install.
#   build-qt-windows.sh            build unless present; prints the install folder last
#   build-qt-windows.sh --prefix   prints the install folder only (it may not exist yet)
#   build-qt-windows.sh --deps     installs the packages the build needs, and stops there
#                                  (so that a build started in the background never runs
#                                  apt-get beside another apt-get)
# VANTREL_BUILD_CACHE moves the cache folder; JOBS sets the parallel jobs (default 2).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
recipe_dir=$here/qt-windows
qt_version=6.4.2
cache=${VANTREL_BUILD_CACHE:-/var/cache/vantrel-build}
recipe=$( (echo "$qt_version"; cat "$recipe_dir"/toolchain.cmake "$recipe_dir"/options.cmake \
  "$recipe_dir"/*.patch) | sha256sum | cut -c1-12)
prefix=$cache/qt-mingw-$qt_version-$recipe
stamp=$prefix/.vantrel-complete

if [ "${1:-}" = "--prefix" ]; then
  echo "$prefix"
  exit 0
fi

install_packages() {
  local sudo="" packages missing=() p refresh=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # The cross compiler (posix threads, for std::thread), apt's source tools and the host Qt
  # whose moc, rcc and uic generate code for the target.
  packages=(g++-mingw-w64-x86-64-posix dpkg-dev cmake ninja-build qt6-base-dev
            qt6-base-dev-tools perl python3)
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "Adding Debian bookworm's source packages to apt"
    $sudo tee /etc/apt/sources.list.d/vantrel-deb-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    refresh=1
  fi
  if [ ${#missing[@]} -gt 0 ] || [ -n "$refresh" ]; then
    $sudo apt-get update -qq
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing ${missing[*]}"
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

if [ -f "$stamp" ]; then
  echo "$prefix"
  exit 0
fi
if [ "${1:-}" = "--deps" ]; then
  install_packages
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

install_packages
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
for patch_file in "$recipe_dir"/*.patch; do
  patch -d "$source_dir" -p1 --forward <"$patch_file"
done

launcher=()
if command -v ccache >/dev/null; then
  # A restarted build after a fix recompiles almost nothing; its own cache keeps the
  # project's cache untouched.
  export CCACHE_DIR=$cache/ccache-mingw
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -G Ninja -S "$source_dir" -B "$work/build" -C "$recipe_dir/options.cmake" \
  -DCMAKE_TOOLCHAIN_FILE="$recipe_dir/toolchain.cmake" "${launcher[@]}" \
  -DCMAKE_INSTALL_PREFIX="$prefix"

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
