# cmake --install: the program and the practice line's stand-alone simulator, the desktop entry, the manual
# page and the program's icon in every size it ships. The data files are not installed: the program writes them into
# its program folder (or --data-dir) at its first start. `cpack -G DEB` makes a Debian package of the same.
include(GNUInstallDirs)

install(TARGETS tolvane tolvane-linesim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${PROJECT_SOURCE_DIR}/src/app/tolvane.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${PROJECT_SOURCE_DIR}/src/app/tolvane.1" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(size 16 24 32 48 64 128 256)
  install(FILES "${PROJECT_SOURCE_DIR}/src/ui/main/icons/tolvane-${size}.png"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tolvane.png)
endforeach()

set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR "Tolvane")
set(CPACK_PACKAGE_CONTACT "Tolvane maintainers <tolvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop paging client: pages pagers through a modem (TAP and numeric)")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tolvane)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
# The Qt and C++ libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
