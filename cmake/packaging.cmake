# What an installation holds beyond the program and its helpers (those are installed
# where they are built): the manual page, the icon and the README, and the Debian package
# made from the whole installation (`cpack -G DEB` in the build folder, or
# scripts/package): build/xyla_<version>_amd64.deb, installed under /usr.
include(GNUInstallDirs)

# The manual page carries the version; Debian keeps manual pages compressed.
set(XYLA_VERSION ${PROJECT_VERSION})
set(XYLA_MANUAL ${CMAKE_BINARY_DIR}/share/man/man1/xyla.1)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/xyla.1 ${XYLA_MANUAL} @ONLY)
add_custom_command(OUTPUT ${XYLA_MANUAL}.gz
                   COMMAND gzip -9 -n -f -k ${XYLA_MANUAL}
                   DEPENDS ${XYLA_MANUAL}
                   COMMENT "Compressing the manual page")
add_custom_target(xyla_manual ALL DEPENDS ${XYLA_MANUAL}.gz)
install(FILES ${XYLA_MANUAL}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/xyla.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME xyla)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Xyla")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Publication-quality 2-D plots and photo-electron spectroscopy (XPS) analysis")
set(CPACK_PACKAGE_DESCRIPTION
    "Xyla draws two-dimensional scientific plots and analyses the data behind them: imports of ASCII, binary, VAMAS, Tabulix and MySQL data, Shirley and Tougaard backgrounds, X-ray satellites, peak fitting with Gauss-Lorentz and Doniach-Sunjic lines, quantification, PDF, EPS, PNG, JPEG and SVG export, and a macro language for batch runs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Xyla developers <xyla@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found only at run time: Perl for the filters, imports and spline fit; Qt's window and
# offscreen platforms; the fonts whose metrics the pictures are laid out with; xraylib,
# opened the first time a cross section is asked for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "perl, qt6-qpa-plugins, fonts-urw-base35, fonts-liberation2, libxrl11")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-mysql, pdl, desktop-file-utils, shared-mime-info")
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)
