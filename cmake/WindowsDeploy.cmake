# SPDX-License-Identifier: GPL-3.0-or-later
# The DLLs a Windows program needs beside it, so that it starts from build-windows/bin (and
# under wine) as it would from an install.
#
# The C++ runtime of mingw (libstdc++, libgcc and winpthread) is linked as DLLs, because the
# Qt DLLs are built against them: a program with a runtime of its own beside Qt's would hold
# two heaps and two sets of exception tables. They are copied into the programs' folder once,
# at configure time, for every program of the build.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "The mingw runtime ${dll} was not found (${CMAKE_CXX_COMPILER})")
  endif()
  file(COPY ${dll_path} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endforeach()

# vantrel_deploy_qt(<target> <component>...): after <target> is linked, the DLLs of the Qt
# modules it uses (Core, Gui, Widgets, Test) are copied beside it when they changed.
function(vantrel_deploy_qt target)
  foreach(component ${ARGN})
    add_custom_command(TARGET ${target} POST_BUILD
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different
                               $<TARGET_FILE:Qt6::${component}> $<TARGET_FILE_DIR:${target}>
                       VERBATIM)
  endforeach()
endfunction()

# vantrel_deploy_qt_plugins(<target> <plugin target>...): after <target> is linked, the Qt
# plugins it loads are copied into the folders beside it where Qt looks for them
# (platforms/, styles/, imageformats/), e.g. Qt6::QWindowsIntegrationPlugin.
function(vantrel_deploy_qt_plugins target)
  foreach(plugin ${ARGN})
    get_target_property(type ${plugin} QT_PLUGIN_TYPE)
    if(NOT type)
      message(FATAL_ERROR "${plugin} is no Qt plugin this build knows")
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
                       COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${target}>/${type}
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${plugin}>
                               $<TARGET_FILE_DIR:${target}>/${type}
                       VERBATIM)
  endforeach()
endfunction()

# vantrel_windows_resources(<target> <description>): the program's icon and version block
# (cmake/windows/Program.rc.in), the same for every program of the product; <description>
# is its FileDescription, the name Task Manager and Explorer show for the running program.
enable_language(RC)
function(vantrel_windows_resources target description)
  set(VANTREL_RC_ICON ${PROJECT_SOURCE_DIR}/res/icons/vantrel-utilities.ico)
  set(VANTREL_RC_DESCRIPTION "${description}")
  get_target_property(VANTREL_RC_NAME ${target} OUTPUT_NAME)
  if(NOT VANTREL_RC_NAME)
    set(VANTREL_RC_NAME ${target})
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/Program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
