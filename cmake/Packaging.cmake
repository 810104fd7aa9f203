# Cellvue as an installed desktop program, and its Debian package.
#
#   cmake --install build --prefix /usr/local   programs, menu entry, icon, AppStream
#                                                metadata and manual pages
#   scripts/package.sh                           build/cellvue_<version>_<arch>.deb
#
# tests/install checks the installed tree and runs both validators on it.
include(GNUInstallDirs)

set(CELLVUE_APP_ID local.cellvue.Cellvue)
set(_pkg ${CMAKE_CURRENT_SOURCE_DIR}/packaging)

install(TARGETS cellvue cellvue-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The menu entry and its launcher name absolute paths, and the prefix is known only when
# installing (cmake --install --prefix, /usr in the package), so both are written then.
install(CODE "
  set(CELLVUE_BINARY \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/cellvue\")
  set(CELLVUE_MENU_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/cellvue/start-from-menu\")
  set(_launcher \"\$ENV{DESTDIR}\${CELLVUE_MENU_LAUNCHER}\")
  set(_entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/${CELLVUE_APP_ID}.desktop\")
  message(STATUS \"Installing: \${_launcher}\")
  configure_file(\"${_pkg}/start-from-menu.in\" \"\${_launcher}\" @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  message(STATUS \"Installing: \${_entry}\")
  configure_file(\"${_pkg}/${CELLVUE_APP_ID}.desktop.in\" \"\${_entry}\" @ONLY)
")

# Drawn by tools/imagegen into src/res/hicolor.
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/src/res/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${_pkg}/${CELLVUE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages go out compressed, without name or time stamp, as Debian has them.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(_man_gz)
foreach(page cellvue.1 cellvue-sim.1)
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/man/${page})
  add_custom_command(OUTPUT ${_out}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${_pkg}/${page} ${_out}
    COMMAND ${GZIP_EXECUTABLE} -9nf ${_out}
    DEPENDS ${_pkg}/${page}
    VERBATIM)
  list(APPEND _man_gz ${_out}.gz)
endforeach()
add_custom_target(cellvue_manpages ALL DEPENDS ${_man_gz})
install(FILES ${_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package. Its dependencies are read off the binaries by dpkg-shlibdeps;
# only what the binaries cannot tell is named here, and none of it is required.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cellvue)
set(CPACK_PACKAGE_VENDOR "Cellvue developers")
set(CPACK_PACKAGE_CONTACT "Cellvue developers <cellvue@cellvue.local>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "service tool for the battery management system of lithium storage")
set(CPACK_PACKAGE_DESCRIPTION
  "Cellvue drives the serial text console of the battery management system (BMS) of a
lithium storage installation of up to 16 battery packs: it shows the whole system
and one chosen pack, records real-time data, reads protection thresholds and the
event history, switches MOSFETs, writes barcodes and upgrades firmware by Xmodem.
It carries a simulated BMS (cellvue-sim) for trying it without a battery.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's translations for the standard buttons of a Chinese window, xdg-open for showing
# crash reports, and the metric twin of the Arial the window is laid out with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qttranslations5-l10n, xdg-utils, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
include(CPack)
