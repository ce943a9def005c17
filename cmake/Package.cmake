# SPDX-License-Identifier: GPL-3.0-or-later
# Debian packages with CPack (`make package`, or `cpack` in the build folder):
#   vantrel-utilities    the command-line tool, the desktop program and their files
#   vantrel-logger-sim   the simulated logger, for tests, demonstrations and training
# The simulator is a package of its own: someone who backs up a real logger never needs
# it, and it has no use for Qt, so installing it alone stays small.
# The packages land in <build>/packages; dependencies come from dpkg-shlibdeps.
if(NOT TARGET vantrel)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel-utilities)
set(CPACK_PACKAGE_VENDOR "The Vantrel Utilities developers")
set(CPACK_PACKAGE_CONTACT "Vantrel Utilities developers <maintainers@vantrel-utilities.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 0)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL utilities)
if(TARGET vantrel-logger-sim)
  list(APPEND CPACK_COMPONENTS_ALL simulator)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VANTREL_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_SOURCE vantrel-utilities)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_UTILITIES_PACKAGE_NAME vantrel-utilities)
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME vantrel-logger-sim)

# The first line is the synopsis; the lines after it the long description. Each package
# has its own synopsis, so the project's one-line description must not go before it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_DEBIAN_UTILITIES_DESCRIPTION
    "back up, restore and export the data of a soil-moisture logger
Vantrel Utilities looks after the data of the Vantrel portable soil-moisture
data logger, connected to the computer by an RS-232 serial line (or a USB
serial adapter). It copies every file of the logger into one backup file,
erases the logger and writes a backup back to it, and exports the profiles
(monitoring sites) of a backup to comma-separated files as calibrated
moisture readings or scaled frequencies; exporting again later appends only
the new readings. Backups can be listed, renamed and deleted, and so can the
files on the logger.

The package holds the desktop program vantrel-utilities and the command-line
tool vantrel, which does the same jobs from a terminal or a script. Both share
their settings and the backup folder.")
# Qt loads the window system (xcb, wayland) and the SVG icon engine (for the program's icon)
# as plugins, which dpkg-shlibdeps cannot see: the program links no Qt SVG library.
set(CPACK_DEBIAN_UTILITIES_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_UTILITIES_PACKAGE_SUGGESTS "vantrel-logger-sim")

set(CPACK_DEBIAN_SIMULATOR_DESCRIPTION
    "simulated Vantrel soil-moisture logger on a pseudo-terminal
vantrel-logger-sim plays the Vantrel soil-moisture logger at the far end of a
serial line, on a pseudo-terminal: the command-line tool vantrel and the
desktop program vantrel-utilities talk to it as to a real logger. It starts
empty or with the files of a folder, writes its files to a folder on exit,
logs every frame, can pace the line at a baud rate and can inject faults (lost
and corrupted replies, refusals, hold-offs, short block transfers) for tests,
demonstrations and training.")
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_ENHANCES "vantrel-utilities")

include(CPack)
