# SPDX-License-Identifier: GPL-3.0-or-later
# What Qt for mingw is built with (an initial cache, cmake -C): only what the two programs
# and their tests use. The files of this folder are the recipe; their hash names the cache
# folder, so a change here builds a new Qt and a change of the script's plumbing does not.
set(CMAKE_BUILD_TYPE Release CACHE STRING "")
set(BUILD_SHARED_LIBS ON CACHE BOOL "")
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
set(QT_BUILD_EXAMPLES OFF CACHE BOOL "")
set(QT_BUILD_TESTS OFF CACHE BOOL "")
set(QT_BUILD_BENCHMARKS OFF CACHE BOOL "")

# The build must fit a CI run on a new machine, so Qt is compiled at -O1 everywhere (Qt would
# use -O2, and -O3 for Core and Gui; a utility's dialogs do not feel the difference).
set(QT_USE_DEFAULT_CMAKE_OPTIMIZATION_FLAGS ON CACHE BOOL "")
set(CMAKE_C_FLAGS_RELEASE "-O1 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O1 -DNDEBUG" CACHE STRING "")

# Host libraries must never be picked up (Qt searches the host Qt's folder as well), so every
# third-party library is Qt's bundled copy, and zstd is off: rcc then writes resources with
# --no-zstd, which a Qt without zstd can read. The +dfsg source has no wintab header, hence no
# tablet events.
set(INPUT_opengl no CACHE STRING "")
foreach(feature opengl vulkan sql network dbus printsupport xml concurrent tabletevent zstd icu
                glib jpeg system_zlib system_png system_pcre2 system_harfbuzz system_freetype
                system_doubleconversion
                # Parts the programs never show: the Direct2D platform plugin, PDF, ODF and
                # Markdown documents, and widgets such as calendars, MDI areas, dock windows,
                # wizards, colour and font dialogs and the graphics view. (Main windows and
                # tool bars stay: Qt's compatibility code needs them, and the input dialog:
                # the Windows style's code includes it. The DirectWrite 3 font
                # database goes with Direct2D, which Qt's build ties it to; the default GDI
                # font database with its DirectWrite engine stays.)
                direct2d directwrite3 pdf textodfwriter textmarkdownreader textmarkdownwriter movie
                systemtrayicon undocommand calendarwidget datetimeedit mdiarea dockwidget
                toolbox wizard fontdialog fontcombobox colordialog errormessage
                progressdialog lcdnumber dial splashscreen syntaxhighlighter
                keysequenceedit columnview graphicsview datawidgetmapper commandlinkbutton)
  set(FEATURE_${feature} OFF CACHE BOOL "")
endforeach()
set(FEATURE_widgets ON CACHE BOOL "")
set(FEATURE_testlib ON CACHE BOOL "")
