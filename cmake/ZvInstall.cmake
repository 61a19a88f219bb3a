# Installing: the program keeps its list beside itself, so it goes to a folder the user owns
# (by default ~/.local/share/zare-vantrel), and a menu entry to the user's applications.
install(TARGETS zare-vantrel RUNTIME DESTINATION .)
install(DIRECTORY "${ZV_BIN_DIR}/pic" DESTINATION .)
install(FILES "${ZV_BIN_DIR}/help.html" "${ZV_BIN_DIR}/winOrbelSysExit.wav" "${CMAKE_BINARY_DIR}/resources/zare-vantrel.png" DESTINATION .)
set(ZV_DESKTOP_DIR "$ENV{HOME}/.local/share/applications" CACHE PATH "Where the menu entry is installed")
install(CODE "
  set(program_dir \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/resources/zare-vantrel.desktop.in\" \"${ZV_DESKTOP_DIR}/zare-vantrel.desktop\" @ONLY)
  message(STATUS \"Menu entry: ${ZV_DESKTOP_DIR}/zare-vantrel.desktop\")
")
