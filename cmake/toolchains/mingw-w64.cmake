# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-building for 64-bit Windows on Debian with mingw-w64 (the posix thread flavour, which
# std::thread needs), the programs run by CTest under wine.
#   cmake --preset windows
# The C++ runtime is linked as DLLs, as Qt's own DLLs are: cmake/WindowsDeploy.cmake puts
# them (and the Qt DLLs a program needs) beside the programs.
# Qt for mingw comes from scripts/build-qt-windows.sh's cache folder when it is there
# (VANTREL_QT_MINGW names another install).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_TRIPLE}-windres)

find_program(VANTREL_WINE NAMES wine wine64)
if(VANTREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VANTREL_WINE})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_TRIPLE})
if(NOT VANTREL_QT_MINGW AND DEFINED ENV{VANTREL_QT_MINGW})
  set(VANTREL_QT_MINGW $ENV{VANTREL_QT_MINGW})
endif()
if(NOT VANTREL_QT_MINGW)
  execute_process(COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../../scripts/build-qt-windows.sh --prefix
                  OUTPUT_VARIABLE VANTREL_QT_MINGW OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(EXISTS ${VANTREL_QT_MINGW}/.vantrel-complete)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VANTREL_QT_MINGW})
  list(APPEND CMAKE_PREFIX_PATH ${VANTREL_QT_MINGW})
  # moc, rcc and uic are Debian's own, of the same Qt version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
