#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make check-package: checks the Debian packages that `make package` put in BUILD/packages.
#   - both packages are there, with the files an installation needs, owned by root, with
#     the usual permissions;
#   - lintian reports no error (its warnings and notes are listed);
#   - the desktop entry and the AppStream data of the package validate;
#   - the programs unpacked from the package (dpkg-deb -x, no installation) run:
#     `vantrel --version` names the licence and `vantrel info` reads a sample backup.
#
#     scripts/check-package.sh [BUILD_FOLDER]      (default: build)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
PACKAGES="$BUILD/packages"
START=$SECONDS

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-check-package.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

step() { printf '\n== %s\n' "$*"; }
fail() {
  echo "check-package: $*" >&2
  exit 1
}

# newest PACKAGE: the newest .deb of PACKAGE in the packages folder.
newest() {
  local found
  found=$(find "$PACKAGES" -maxdepth 1 -name "$1_*.deb" -printf '%T@ %p\n' 2>/dev/null |
    sort -rn | head -n 1 | cut -d ' ' -f 2-) || true
  [ -n "$found" ] || fail "no $1 package in $PACKAGES; run 'make package' first"
  echo "$found"
}

UTILITIES=$(newest vantrel-utilities)
SIMULATOR=$(newest vantrel-logger-sim)
WITH_GUI=false
[ -x "$BUILD/bin/vantrel-utilities" ] && WITH_GUI=true

step "Packages"
for deb in "$UTILITIES" "$SIMULATOR"; do
  printf '%s (%s KiB)\n' "${deb#"$ROOT"/}" "$(($(stat -c %s "$deb") / 1024))"
  dpkg-deb -f "$deb" Package Version Architecture Section Priority Maintainer Depends | sed 's/^/  /'
done

# The desktop program needs Qt's window system and SVG icon plugins, which no library
# dependency names by itself. The chart is drawn with Qt GUI alone: no package of Qt Charts,
# of libpng or of the OpenGL widgets it pulled in may come back.
if $WITH_GUI; then
  depends=$(dpkg-deb -f "$UTILITIES" Depends)
  for needed in qt6-qpa-plugins libqt6svg6; do
    [[ ", $depends," == *", $needed"[,\ ]* ]] || fail "vantrel-utilities does not depend on $needed"
  done
  for retired in libqt6charts6 libpng16-16 libqt6openglwidgets6; do
    [[ ", $depends," != *", $retired"[,\ ]* ]] || fail "vantrel-utilities still depends on $retired"
  done
fi

step "Contents"
for deb in "$UTILITIES" "$SIMULATOR"; do
  echo "${deb##*/}:"
  dpkg-deb -c "$deb" | tee "$WORK/${deb##*/}.list" | awk '{ print "  " $1, $2, $6 }'
done

# expect_file LIST MODE PATH: the package listing LIST holds PATH with MODE, owned by root.
expect_file() {
  local line
  line=$(awk -v path="./$3" '$6 == path' "$1")
  [ -n "$line" ] || fail "${1##*/}: $3 is missing"
  read -r mode owner _ <<<"$line"
  [ "$mode" = "$2" ] || fail "${1##*/}: $3 has the mode $mode, expected $2"
  [ "$owner" = root/root ] || fail "${1##*/}: $3 belongs to $owner, expected root/root"
}
list="$WORK/${UTILITIES##*/}.list"
expect_file "$list" -rwxr-xr-x usr/bin/vantrel
expect_file "$list" -rw-r--r-- usr/share/man/man1/vantrel.1.gz
expect_file "$list" -rw-r--r-- usr/share/bash-completion/completions/vantrel
expect_file "$list" -rw-r--r-- usr/share/doc/vantrel-utilities/copyright
expect_file "$list" -rw-r--r-- usr/share/doc/vantrel-utilities/changelog.Debian.gz
expect_file "$list" -rw-r--r-- usr/share/doc/vantrel-utilities/help/index.html
expect_file "$list" -rw-r--r-- usr/share/doc-base/vantrel-utilities
if $WITH_GUI; then
  expect_file "$list" -rwxr-xr-x usr/bin/vantrel-utilities
  expect_file "$list" -rw-r--r-- usr/share/man/man1/vantrel-utilities.1.gz
  expect_file "$list" -rw-r--r-- usr/share/applications/vantrel-utilities.desktop
  expect_file "$list" -rw-r--r-- usr/share/icons/hicolor/scalable/apps/vantrel-utilities.svg
  expect_file "$list" -rw-r--r-- usr/share/icons/hicolor/48x48/apps/vantrel-utilities.png
  grep -q ' \./usr/share/metainfo/[^/]*\.metainfo\.xml$' "$list" || fail "no AppStream file in share/metainfo"
fi
list="$WORK/${SIMULATOR##*/}.list"
expect_file "$list" -rwxr-xr-x usr/bin/vantrel-logger-sim
expect_file "$list" -rw-r--r-- usr/share/man/man1/vantrel-logger-sim.1.gz
expect_file "$list" -rw-r--r-- usr/share/doc/vantrel-logger-sim/copyright
expect_file "$list" -rw-r--r-- usr/share/doc/vantrel-logger-sim/changelog.Debian.gz
for list in "$WORK"/*.list; do
  odd=$(awk '$2 != "root/root" || ($1 ~ /^d/ && $1 != "drwxr-xr-x")' "$list")
  [ -z "$odd" ] || fail "${list##*/}: entries with another owner or folder mode:"$'\n'"$odd"
done
echo "Every expected file is there, owned by root, with the usual modes."

step "lintian"
# Errors fail the check; warnings (W:) and notes (I:) are listed for whoever reads this.
lintian_start=$SECONDS
set +e
lintian --display-info --tag-display-limit 0 --fail-on error "$UTILITIES" "$SIMULATOR" >"$WORK/lintian.txt" 2>&1
lintian_status=$?
set -e
if [ -s "$WORK/lintian.txt" ]; then cat "$WORK/lintian.txt"; fi
errors=$(grep -c '^E: ' "$WORK/lintian.txt" || true)
warnings=$(grep -c '^W: ' "$WORK/lintian.txt" || true)
notes=$(grep -c '^I: ' "$WORK/lintian.txt" || true)
echo "lintian: $errors errors, $warnings warnings, $notes notes ($((SECONDS - lintian_start)) s)"
if [ "$lintian_status" -ne 0 ] || [ "$errors" -ne 0 ]; then
  fail "lintian reports errors (exit status $lintian_status)"
fi

step "Unpacked"
TREE="$WORK/tree"
dpkg-deb -x "$UTILITIES" "$TREE"
dpkg-deb -x "$SIMULATOR" "$TREE"
echo "into a temporary folder: $(find "$TREE" -type f | wc -l) files"

if $WITH_GUI; then
  desktop-file-validate "$TREE/usr/share/applications/vantrel-utilities.desktop" ||
    fail "desktop-file-validate finds fault with the desktop entry"
  echo "desktop-file-validate: vantrel-utilities.desktop is valid"
  for metainfo in "$TREE"/usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli finds fault with ${metainfo##*/}"
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
    [ -f "$TREE/usr/share/applications/$launchable" ] ||
      fail "${metainfo##*/} launches '$launchable', which the package does not hold"
  done
fi

# The unpacked programs run on their own settings, in a home of their own.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_RUNTIME_DIR="$WORK/runtime"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$WORK"

version=$("$TREE/usr/bin/vantrel" --version) || fail "the packaged vantrel --version failed"
echo "$version"
[[ $version == "vantrel "*" (Vantrel Utilities), Qt "* ]] || fail "vantrel --version does not name the program and Qt"
grep -qx "License: GPL-3.0-or-later" <<<"$version" || fail "vantrel --version does not name the licence"
if $WITH_GUI; then
  "$TREE/usr/bin/vantrel-utilities" --version | grep -q "^vantrel-utilities " ||
    fail "the packaged vantrel-utilities --version failed"
fi
"$TREE/usr/bin/vantrel-logger-sim" --help >/dev/null || fail "the packaged vantrel-logger-sim --help failed"

"$BUILD/bin/vantrel-make-sample-image" "$WORK/image" --profiles 3 --readings 12 --sensors 4 >/dev/null
"$BUILD/bin/vantrel-pack-image" "$WORK/image" "$WORK/Sample.vbk" >/dev/null
info=$("$TREE/usr/bin/vantrel" info "$WORK/Sample.vbk") || fail "the packaged vantrel info failed"
echo "$info"
grep -q '^Profiles: *3$' <<<"$info" || fail "vantrel info does not show the 3 profiles of the sample backup"

bash -c 'source "$1" && complete -p vantrel' _ "$TREE/usr/share/bash-completion/completions/vantrel" >/dev/null ||
  fail "the packaged bash completion does not load"
if command -v man >/dev/null; then
  MANWIDTH=80 man -l "$TREE/usr/share/man/man1/vantrel.1.gz" 2>/dev/null | grep -q '^EXIT STATUS' ||
    fail "the packaged manual page of vantrel does not render"
fi

step "Done"
echo "The packages pass ($((SECONDS - START)) s): ${UTILITIES#"$ROOT"/}, ${SIMULATOR#"$ROOT"/}"
