# Installation under the prefix, in the usual places (GNUInstallDirs):
#   bin/                                 vantrel, vantrel-utilities, vantrel-logger-sim
#   share/applications/                  vantrel-utilities.desktop
#   share/icons/hicolor/scalable/apps/   vantrel-utilities.svg
#   share/icons/hicolor/NxN/apps/        vantrel-utilities.png, rendered from the SVG at build time
# The help pages are compiled into the desktop program, so they need no files of their own.
include(GNUInstallDirs)

foreach(program vantrel vantrel-utilities vantrel-logger-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(NOT TARGET vantrel-utilities)
  return()
endif()

set(VANTREL_ICON_SVG ${PROJECT_SOURCE_DIR}/res/icons/vantrel-utilities.svg)
set(VANTREL_ICON_THEME ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
# The sizes desktops look for in the hicolor theme.
set(VANTREL_ICON_SIZES 16 22 24 32 48 64 128 256)

install(FILES ${PROJECT_SOURCE_DIR}/res/vantrel-utilities.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VANTREL_ICON_SVG} DESTINATION ${VANTREL_ICON_THEME}/scalable/apps)

add_subdirectory(${PROJECT_SOURCE_DIR}/tools/icons)
if(NOT TARGET vantrel-render-icon)
  return()
endif()

set(rendered ${CMAKE_BINARY_DIR}/icons/hicolor)
set(pngs)
foreach(size IN LISTS VANTREL_ICON_SIZES)
  set(png ${rendered}/${size}x${size}/apps/vantrel-utilities.png)
  list(APPEND pngs ${png})
  install(FILES ${png} DESTINATION ${VANTREL_ICON_THEME}/${size}x${size}/apps)
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
