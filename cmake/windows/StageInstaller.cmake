# SPDX-License-Identifier: GPL-3.0-or-later
# Gathers what the installer holds into one folder, in the layout of the installed program,
# and strips the programs and DLLs of their symbols (a quarter of the size). Run by the
# windows-installer target:
#   cmake -DSTAGE=<folder> -DSTRIP=<strip> -DROOT=a|b -DPLATFORMS=... -DSTYLES=...
#         -DIMAGEFORMATS=... -DHELP=... -DLICENSE=<file> -DICON=<file.ico> -P StageInstaller.cmake
# Writes <folder>/size.nsh with the installed size in KiB for the uninstall entry.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${STAGE})
set(total 0)
foreach(group ROOT PLATFORMS STYLES IMAGEFORMATS HELP)
  string(TOLOWER ${group} folder)
  if(group STREQUAL "ROOT")  # the programs' own folder
    set(folder .)
  endif()
  string(REPLACE "|" ";" files "${${group}}")
  file(MAKE_DIRECTORY ${STAGE}/${folder})
  foreach(source IN LISTS files)
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "The installer needs ${source}, which is not there")
    endif()
    get_filename_component(name ${source} NAME)
    set(target ${STAGE}/${folder}/${name})
    file(COPY_FILE ${source} ${target})
    if(name MATCHES "\\.(exe|dll)$")
      execute_process(COMMAND ${STRIP} --strip-unneeded ${target} RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "${STRIP} could not strip ${target}")
      endif()
    endif()
    file(SIZE ${target} size)
    math(EXPR total "${total} + ${size}")
  endforeach()
endforeach()
# The licence as Windows text (CR LF), for the wizard's licence page and the installed copy.
file(READ ${LICENSE} text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${STAGE}/LICENSE.txt "${text}")
file(COPY_FILE ${ICON} ${STAGE}/vantrel-utilities.ico)
math(EXPR total "(${total} + 1023) / 1024")
file(WRITE ${STAGE}/size.nsh "!define SIZE_KB ${total}\n")
