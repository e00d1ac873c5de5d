# The Windows build's programs all land in the build folder; beside them go
# the DLLs they load: Qt's, the MinGW runtime's, and the plugins Qt looks
# for in the program's folder (platforms, styles, image formats). The
# folder then runs as it is, under Wine or copied to a Windows machine.
set(runtime_dlls)
foreach(module Core Gui Widgets Network PrintSupport Test)
  if(TARGET Qt6::${module})
    list(APPEND runtime_dlls $<TARGET_FILE:Qt6::${module}>)
  endif()
endforeach()
# The runtime of the compiler that built the programs.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  list(APPEND runtime_dlls ${path})
endforeach()

set(copy_plugins)
foreach(plugin QOffscreenIntegrationPlugin QWindowsIntegrationPlugin QMinimalIntegrationPlugin
               QWindowsVistaStylePlugin QJpegPlugin QGifPlugin QICOPlugin)
  get_target_property(type Qt6::${plugin} QT_PLUGIN_TYPE)
  list(APPEND copy_plugins
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/${type}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::${plugin}> ${CMAKE_BINARY_DIR}/${type})
endforeach()

add_custom_target(windows_runtime ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${runtime_dlls} ${CMAKE_BINARY_DIR}
  ${copy_plugins}
  COMMENT "Copying the DLLs and Qt plugins beside the programs"
  VERBATIM)
