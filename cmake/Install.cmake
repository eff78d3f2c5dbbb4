# Install rules and the Debian package (cpack -G DEB).
#
#   bin/zolvane2, bin/zolvane2-cli
#   share/zolvane2/zolvane2.hlp                      the window's help, found when it is not beside the program
#   share/applications/<id>.desktop, share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/{16x16..256x256,scalable}/apps/<id>.{png,svg}
#   share/man/man1/zolvane2.1, zolvane2-cli.1
#   share/bash-completion/completions/zolvane2-cli
#   share/doc/zolvane2/copyright, LICENSE            the licence (copyright is where Debian looks)
set(ZOLVANE2_DATA_SUBDIR ${CMAKE_INSTALL_DATADIR}/zolvane2)

install(TARGETS zolvane2-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET zolvane2)
  install(TARGETS zolvane2 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/src/app/help/zolvane2.html DESTINATION ${ZOLVANE2_DATA_SUBDIR}
          RENAME zolvane2.hlp)
  install(FILES ${PROJECT_SOURCE_DIR}/data/${ZOLVANE2_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/${ZOLVANE2_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/man/zolvane2.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/docs/man/zolvane2-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/data/zolvane2-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zolvane2-cli)
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zolvane2)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zolvane2)

set(CPACK_PACKAGE_NAME zolvane2)
set(CPACK_PACKAGE_VENDOR "The Zolvane2 developers")
set(CPACK_PACKAGE_CONTACT "The Zolvane2 developers <zolvane2@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://github.com/zolvane2/zolvane2)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "record a sound input and cut it into numbered track files")
set(CPACK_PACKAGE_DESCRIPTION
    "Zolvane2 records 16-bit PCM from a sound input (PulseAudio, or PipeWire through
pipewire-pulse) and cuts it into numbered WAVE or RAW track files while it
records. It also re-divides existing files by the same rules, joins files and
plays them one after another. The window speaks Japanese; zolvane2-cli offers
the same engine to scripts and headless machines.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY zolvane2)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (package dpkg-dev) finds the libraries: Qt 6 Widgets, libpulse,
# libFLAC, libcue,
# libstdc++; without it they are named here. The window also needs, without
# linking them, Qt's Japanese translations and its Wayland platform plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, qt6-wayland")
find_program(ZOLVANE2_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZOLVANE2_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
         ", libqt6widgets6 (>= 6.3.0), libqt6gui6 (>= 6.1.2), libqt6core6 (>= 6.4.0), libpulse0 (>= 0.99.1),"
         " libflac12 (>= 1.4.2), libcue2 (>= 2.2.1),"
         " libstdc++6 (>= 12), libgcc-s1 (>= 3.0), libc6 (>= 2.34)")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio, fonts-noto-cjk")
# Only the install rules above go into the package: no tests, no benchmarks.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/" "/\\\\.git/")
include(CPack)
