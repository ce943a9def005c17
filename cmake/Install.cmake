# SPDX-License-Identifier: GPL-3.0-or-later
# Installation under the prefix, in the usual places (GNUInstallDirs):
#   bin/                                    vantrel, vantrel-utilities, vantrel-logger-sim
#   share/applications/                     vantrel-utilities.desktop
#   share/icons/hicolor/scalable/apps/      vantrel-utilities.svg
#   share/icons/hicolor/NxN/apps/           vantrel-utilities.png, rendered from the SVG at build time
#   share/metainfo/                         the AppStream description of the desktop program
#   share/man/man1/                         vantrel.1.gz, vantrel-utilities.1.gz, vantrel-logger-sim.1.gz
#   share/bash-completion/completions/      vantrel
#   share/doc/vantrel-utilities/help/       the help pages, also compiled into the desktop program
# Two install components, one Debian package each (cmake/Package.cmake):
#   utilities   the command-line tool and the desktop program, with all of the above
#   simulator   vantrel-logger-sim and its manual page
# The Debian copyright, changelog and doc-base files are installed only when a component
# is installed by name (as CPack does), never by a plain `cmake --install`.
include(GNUInstallDirs)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(VANTREL_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/cmake/debian)
set(VANTREL_DOC_ROOT ${CMAKE_INSTALL_DATADIR}/doc)
# Package name of each component: also the name of its folder under share/doc.
set(VANTREL_PACKAGE_utilities vantrel-utilities)
set(VANTREL_PACKAGE_simulator vantrel-logger-sim)

# The release comes from the newest entry of the Debian changelog:
#   vantrel-utilities (0.1.0-1) unstable; urgency=medium
#    -- Name <address>  Mon, 07 Dec 2026 12:00:00 +0000
# Its date dates the manual pages, so that a rebuild gives the same files.
file(STRINGS ${VANTREL_DEBIAN_DIR}/changelog VANTREL_CHANGELOG_LINES)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VANTREL_DEBIAN_DIR}/changelog)
list(GET VANTREL_CHANGELOG_LINES 0 VANTREL_CHANGELOG_HEAD)
if(NOT VANTREL_CHANGELOG_HEAD MATCHES "^[a-z0-9.+-]+ \\(([^)-]+)-([^)]+)\\)")
  message(FATAL_ERROR "cmake/debian/changelog: the first line names no version: ${VANTREL_CHANGELOG_HEAD}")
endif()
set(VANTREL_DEBIAN_REVISION ${CMAKE_MATCH_2})
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(WARNING "cmake/debian/changelog: its newest entry is for ${CMAKE_MATCH_1}, the project is "
                  "${PROJECT_VERSION}; add an entry for this release")
endif()
set(VANTREL_RELEASE_EPOCH "")
foreach(line IN LISTS VANTREL_CHANGELOG_LINES)
  if(line MATCHES "^ -- .*>  (.+)$")
    execute_process(COMMAND date -d "${CMAKE_MATCH_1}" +%s OUTPUT_VARIABLE VANTREL_RELEASE_EPOCH
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    break()
  endif()
endforeach()

# --- Programs
foreach(program vantrel vantrel-utilities)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT utilities)
  endif()
endforeach()
if(TARGET vantrel-logger-sim)
  install(TARGETS vantrel-logger-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT simulator)
endif()

if(TARGET vantrel)
  install(FILES ${PROJECT_SOURCE_DIR}/completion/vantrel
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT utilities)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/help/
          DESTINATION ${VANTREL_DOC_ROOT}/${VANTREL_PACKAGE_utilities}/help COMPONENT utilities
          FILES_MATCHING PATTERN "*.html")
endif()

# --- Manual pages: man/NAME.1.scd -> NAME.1 (scdoc) -> NAME.1.gz, for each program built.
# The pages are configured first, so they can name @PROJECT_VERSION@.
find_program(VANTREL_SCDOC scdoc)
set(VANTREL_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(VANTREL_DOC_OUTPUTS)
set(VANTREL_DATED)
if(VANTREL_RELEASE_EPOCH)
  set(VANTREL_DATED ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VANTREL_RELEASE_EPOCH})
endif()
if(VANTREL_SCDOC)
  foreach(component utilities simulator)
    if(component STREQUAL "utilities")
      set(pages vantrel vantrel-utilities)
    else()
      set(pages vantrel-logger-sim)
    endif()
    foreach(page IN LISTS pages)
      if(NOT TARGET ${page})
        continue()
      endif()
      set(source ${VANTREL_MAN_DIR}/${page}.1.scd)
      set(roff ${VANTREL_MAN_DIR}/${page}.1)
      configure_file(${PROJECT_SOURCE_DIR}/man/${page}.1.scd ${source} @ONLY)
      add_custom_command(
        OUTPUT ${roff} ${roff}.gz
        COMMAND ${VANTREL_DATED} sh -c "\"$0\" <\"$1\" >\"$2\" && gzip -9nkf \"$2\"" ${VANTREL_SCDOC} ${source} ${roff}
        DEPENDS ${source}
        COMMENT "Building the manual page ${page}(1)"
        VERBATIM)
      list(APPEND VANTREL_DOC_OUTPUTS ${roff} ${roff}.gz)
      install(FILES ${roff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
    endforeach()
  endforeach()
else()
  message(STATUS "Manual pages: not built (needs scdoc; scripts/install-deps.sh installs it)")
endif()

# --- Debian copyright and changelog, for each package built.
set(VANTREL_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
add_custom_command(
  OUTPUT ${VANTREL_CHANGELOG_GZ}
  COMMAND sh -c "gzip -9n <\"$0\" >\"$1\"" ${VANTREL_DEBIAN_DIR}/changelog ${VANTREL_CHANGELOG_GZ}
  DEPENDS ${VANTREL_DEBIAN_DIR}/changelog
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
list(APPEND VANTREL_DOC_OUTPUTS ${VANTREL_CHANGELOG_GZ})
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/debian)
foreach(component utilities simulator)
  install(FILES ${VANTREL_DEBIAN_DIR}/copyright ${VANTREL_CHANGELOG_GZ}
          DESTINATION ${VANTREL_DOC_ROOT}/${VANTREL_PACKAGE_${component}}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()
# The help pages, registered with doc-base so that documentation browsers list them.
install(FILES ${VANTREL_DEBIAN_DIR}/doc-base DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base
        RENAME vantrel-utilities COMPONENT utilities EXCLUDE_FROM_ALL)
add_custom_target(vantrel-docs ALL DEPENDS ${VANTREL_DOC_OUTPUTS})
# Whenever a program is built, its manual page is there to install.
foreach(program vantrel vantrel-utilities vantrel-logger-sim)
  if(TARGET ${program})
    add_dependencies(${program} vantrel-docs)
  endif()
endforeach()

# --- The desktop program's entry, AppStream description and icons
if(TARGET vantrel-utilities)
  set(VANTREL_ICON_SVG ${PROJECT_SOURCE_DIR}/res/icons/vantrel-utilities.svg)
  set(VANTREL_ICON_THEME ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  # The sizes desktops look for in the hicolor theme.
  set(VANTREL_ICON_SIZES 16 22 24 32 48 64 128 256)

  install(FILES ${PROJECT_SOURCE_DIR}/res/vantrel-utilities.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT utilities)
  file(GLOB VANTREL_METAINFO ${PROJECT_SOURCE_DIR}/res/*.metainfo.xml)
  install(FILES ${VANTREL_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT utilities)
  install(FILES ${VANTREL_ICON_SVG} DESTINATION ${VANTREL_ICON_THEME}/scalable/apps
          COMPONENT utilities)

  add_subdirectory(${PROJECT_SOURCE_DIR}/tools/icons)
  if(TARGET vantrel-render-icon)
    set(rendered ${CMAKE_BINARY_DIR}/icons/hicolor)
    set(pngs)
    foreach(size IN LISTS VANTREL_ICON_SIZES)
      set(png ${rendered}/${size}x${size}/apps/vantrel-utilities.png)
      list(APPEND pngs ${png})
      install(FILES ${png} DESTINATION ${VANTREL_ICON_THEME}/${size}x${size}/apps
              COMPONENT utilities)
    endforeach()
    add_custom_command(
      OUTPUT ${pngs}
      COMMAND vantrel-render-icon ${VANTREL_ICON_SVG} ${rendered} vantrel-utilities ${VANTREL_ICON_SIZES}
      DEPENDS vantrel-render-icon ${VANTREL_ICON_SVG}
      COMMENT "Rendering the icons of vantrel-utilities"
      VERBATIM)
    add_custom_target(vantrel-icons ALL DEPENDS ${pngs})
    # Whenever the program is built, its installation is complete.
    add_dependencies(vantrel-utilities vantrel-icons)
  endif()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsInstaller.cmake)
endif()
