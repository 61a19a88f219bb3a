# The Debian package (scripts/package), made by CPack's DEB generator with the prefix /usr:
# the program and what lies beside it in lib/zare-vantrel (cmake/ZvInstall.cmake), with the
# file that tells the program its folder is not the user's (its list goes to the user's data
# folder: src/platform/files/ListFolder), a link in bin, the menu entry, the icon in the
# theme's sizes, the AppStream metainfo, a man page, the copyright and the changelog.

set(zv_packaging "${PROJECT_SOURCE_DIR}/packaging")
set(zv_made "${CMAKE_BINARY_DIR}/packaging")
set(zv_metainfo "${zv_packaging}/example.zarevantrel.ZareVantrel.metainfo.xml")
file(MAKE_DIRECTORY "${zv_made}")

install(FILES "${zv_packaging}/installed-by-package" DESTINATION ${ZV_PROGRAM_DESTINATION})

file(CREATE_LINK "../${ZV_PROGRAM_DESTINATION}/zare-vantrel" "${zv_made}/zare-vantrel" SYMBOLIC)
install(FILES "${zv_made}/zare-vantrel" DESTINATION bin)

# The entry names the program on the PATH and the icon by its theme name.
set(desktop_exec zare-vantrel)
set(desktop_icon zare-vantrel)
configure_file("${PROJECT_SOURCE_DIR}/resources/zare-vantrel.desktop.in" "${zv_made}/zare-vantrel.desktop" @ONLY)
install(FILES "${zv_made}/zare-vantrel.desktop" DESTINATION share/applications)
install(FILES "${zv_metainfo}" DESTINATION share/metainfo)

# Each size drawn from the vector source, so small sizes stay crisp; the source itself
# serves every other size.
set(zv_icon_source "${PROJECT_SOURCE_DIR}/resources/zare-vantrel.svg")
set(zv_package_files)
foreach(size 16 22 24 32 48 64 128 256)
  set(icon "${zv_made}/icons/${size}x${size}/apps/zare-vantrel.png")
  add_custom_command(OUTPUT "${icon}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${zv_made}/icons/${size}x${size}/apps"
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:svgicon> "${zv_icon_source}" "${icon}" ${size}
    DEPENDS "${zv_icon_source}" svgicon
    VERBATIM)
  list(APPEND zv_package_files "${icon}")
endforeach()
install(FILES "${zv_icon_source}" DESTINATION share/icons/hicolor/scalable/apps)
install(DIRECTORY "${zv_made}/icons/" DESTINATION share/icons/hicolor)

# Debian keeps man pages and changelogs compressed, without name or time stamp.
function(zv_install_gzipped name destination)
  add_custom_command(OUTPUT "${zv_made}/${name}.gz"
    COMMAND ${CMAKE_COMMAND} -E copy "${zv_packaging}/${name}" "${zv_made}/${name}"
    COMMAND gzip -9nf "${zv_made}/${name}"
    DEPENDS "${zv_packaging}/${name}"
    VERBATIM)
  install(FILES "${zv_made}/${name}.gz" DESTINATION ${destination})
  set(zv_package_files ${zv_package_files} "${zv_made}/${name}.gz" PARENT_SCOPE)
endfunction()
zv_install_gzipped(zare-vantrel.1 share/man/man1)
zv_install_gzipped(changelog.Debian share/doc/zare-vantrel)
install(FILES "${zv_packaging}/copyright" DESTINATION share/doc/zare-vantrel)
install(FILES "${zv_packaging}/lintian-overrides" DESTINATION share/lintian/overrides RENAME zare-vantrel)

add_custom_target(zv_package_files ALL DEPENDS ${zv_package_files})

# scripts/package builds what the package holds; the package needs no test program.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zare-vantrel)
set(CPACK_PACKAGE_VENDOR "The Zare Vantrel developers")
set(CPACK_PACKAGE_CONTACT "Zare Vantrel developers <packages@zarevantrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download manager with pause, resume and scheduled starts")
# Lines as the control file shows them: a paragraph per blank line.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Zare Vantrel keeps a list of HTTP and HTTPS download tasks in one window."
  "Every running task is copied to disk by a thread of its own, can be paused"
  "and resumed where the local file ends, and can start by itself at a"
  "scheduled date and time. Minimising the window hides it to the"
  "notification area."
  ""
  "The list survives between runs in the user's data folder"
  "(~/.local/share/zare-vantrel), and a copy of it written every second"
  "restores it after a crash or a power cut.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zarevantrel.example/")
# The transfers use libcurl's protocol limits by name (7.85); shlibdeps alone asks for less.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4 (>= 7.85.0)")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
