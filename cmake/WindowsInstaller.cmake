# SPDX-License-Identifier: GPL-3.0-or-later
# `make windows-installer`: build-windows/VantrelUtilities-<version>-setup.exe, an NSIS
# installer (cmake/windows/VantrelUtilities.nsi) of both programs with the DLLs and Qt plugins
# they load, listed here by name (there is no windeployqt for this Qt), the help pages and
# the licence. The files are staged and stripped in build-windows/installer first.
if(NOT TARGET vantrel OR NOT TARGET vantrel-utilities)
  return()
endif()
find_program(VANTREL_MAKENSIS makensis)
if(NOT VANTREL_MAKENSIS)
  message(STATUS "windows-installer: not available (needs makensis: scripts/install-deps.sh windows)")
  return()
endif()
find_program(VANTREL_MINGW_STRIP NAMES ${VANTREL_MINGW_TRIPLE}-strip x86_64-w64-mingw32-strip REQUIRED)

# mingw's C++ runtime, which the Qt DLLs were built against.
set(runtime)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  list(APPEND runtime ${path})
endforeach()

set(stage ${CMAKE_BINARY_DIR}/installer)
set(setup ${CMAKE_BINARY_DIR}/VantrelUtilities-${PROJECT_VERSION}-setup.exe)
file(GLOB help_pages ${PROJECT_SOURCE_DIR}/res/help/*.html)
set(nsi ${PROJECT_SOURCE_DIR}/cmake/windows/VantrelUtilities.nsi)
# Lists reach the staging script joined by "|" (a ";" would split the argument).
list(JOIN runtime "|" runtime_arg)
list(JOIN help_pages "|" help_arg)
add_custom_command(
  OUTPUT ${setup}
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DSTRIP=${VANTREL_MINGW_STRIP}
          "-DROOT=$<TARGET_FILE:vantrel>|$<TARGET_FILE:vantrel-utilities>|$<TARGET_FILE:Qt6::Core>|$<TARGET_FILE:Qt6::Gui>|$<TARGET_FILE:Qt6::Widgets>|${runtime_arg}"
          -DPLATFORMS=$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
          -DSTYLES=$<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
          "-DIMAGEFORMATS=$<TARGET_FILE:Qt6::QICOPlugin>|$<TARGET_FILE:Qt6::QGifPlugin>"
          "-DHELP=${help_arg}" -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE
          -DICON=${PROJECT_SOURCE_DIR}/res/icons/vantrel-utilities.ico
          -P ${PROJECT_SOURCE_DIR}/cmake/windows/StageInstaller.cmake
  COMMAND ${VANTREL_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage} -DOUTFILE=${setup}
          ${nsi}
  DEPENDS vantrel vantrel-utilities ${nsi} ${PROJECT_SOURCE_DIR}/cmake/windows/StageInstaller.cmake
          ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/res/icons/vantrel-utilities.ico
          ${help_pages}
  COMMENT "Building the installer VantrelUtilities-${PROJECT_VERSION}-setup.exe"
  VERBATIM)
add_custom_target(windows-installer DEPENDS ${setup})
