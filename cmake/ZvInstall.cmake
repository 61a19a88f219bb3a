# Installing. For one user (scripts/install-desktop): the program keeps its list beside itself,
# so it goes to a folder the user owns (the install prefix, by default the user's data folder,
# where a packaged program keeps its list too), with a menu entry in the user's applications.
# With ZV_DEBIAN_PACKAGE, the layout of the Debian package instead (cmake/Packaging.cmake).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(ZV_DEBIAN_PACKAGE)
  set(ZV_PROGRAM_DESTINATION lib/zare-vantrel)
else()
  set(ZV_PROGRAM_DESTINATION .)
endif()
install(TARGETS zare-vantrel RUNTIME DESTINATION ${ZV_PROGRAM_DESTINATION})
install(DIRECTORY "${ZV_BIN_DIR}/pic" DESTINATION ${ZV_PROGRAM_DESTINATION})
install(FILES "${ZV_BIN_DIR}/help.html" "${ZV_BIN_DIR}/winOrbelSysExit.wav" DESTINATION ${ZV_PROGRAM_DESTINATION})

if(ZV_DEBIAN_PACKAGE)
  include(cmake/Packaging.cmake)
  return()
endif()

install(FILES "${CMAKE_BINARY_DIR}/resources/zare-vantrel.png" DESTINATION .)
set(ZV_DESKTOP_DIR "${ZV_DATA_HOME}/applications" CACHE PATH "Where the menu entry is installed")
# The menu entry names the program and icon where they were installed; no working folder, so
# "New database" and the folder picker start where the user may write.
install(CODE "set(zv_desktop_template \"${PROJECT_SOURCE_DIR}/resources/zare-vantrel.desktop.in\")
              set(zv_desktop_file \"${ZV_DESKTOP_DIR}/zare-vantrel.desktop\")")
install(CODE [[
  set(desktop_exec "\"${CMAKE_INSTALL_PREFIX}/zare-vantrel\"")
  set(desktop_icon "${CMAKE_INSTALL_PREFIX}/zare-vantrel.png")
  configure_file("${zv_desktop_template}" "${zv_desktop_file}" @ONLY)
  message(STATUS "Menu entry: ${zv_desktop_file}")
]])
