# `cmake --install` lays the program out as a desktop application; CPack makes a .deb of it
# (`make package`). The programs look for their empty database in <prefix>/share/tarnwick.
include(GNUInstallDirs)

set(TARNWICK_APP_ID com.corvell.quorvane)

install(TARGETS tarnwick-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tarnwick)
    install(TARGETS tarnwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${EMPTY_DATABASE} ${CMAKE_SOURCE_DIR}/src/store/schema.sql
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwick)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TARNWICK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TARNWICK_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TARNWICK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The user units that run `tarnwick-cli watch run` every quarter of an hour once enabled
# (systemctl --user enable --now tarnwick-watch.timer); nothing runs until the user asks.
configure_file(${CMAKE_SOURCE_DIR}/packaging/tarnwick-watch.service.in
               ${CMAKE_BINARY_DIR}/packaging/tarnwick-watch.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tarnwick-watch.service
              ${CMAKE_SOURCE_DIR}/packaging/tarnwick-watch.timer
        DESTINATION ${CMAKE_INSTALL_PREFIX}/lib/systemd/user)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "Corvell")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quorvane: study a competing Taobao shop's items, buyers and reviews")
set(CPACK_PACKAGE_CONTACT "Corvell <support@corvell.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the programs link are found by dpkg-shlibdeps, as Debian's own packages do.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
