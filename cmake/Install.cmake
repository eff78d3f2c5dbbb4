# Install rules and the two Debian packages (cpack -G DEB), one per component:
#
#   zolvane2-cli (component cli)  bin/zolvane2-cli, share/man/man1/zolvane2-cli.1,
#                                 share/bash-completion/completions/zolvane2-cli
#   zolvane2 (component app)      bin/zolvane2, share/zolvane2/zolvane2.hlp (the window's help,
#                                 found when it is not beside the program), share/man/man1/zolvane2.1,
#                                 share/applications/<id>.desktop, share/metainfo/<id>.metainfo.xml,
#                                 share/icons/hicolor/{16x16..256x256,scalable}/apps/<id>.{png,svg}
#   each of them                  share/doc/<package>/copyright, LICENSE and NEWS (in the packages:
#                                 copyright and NEWS as changelog.Debian.gz, where Debian looks)
#
# The command-line tool is a package of its own so that a headless machine
# gets the engine without Qt and the desktop it pulls in.
set(ZOLVANE2_DATA_SUBDIR ${CMAKE_INSTALL_DATADIR}/zolvane2)
set(ZOLVANE2_PACKAGE_cli zolvane2-cli)
set(ZOLVANE2_PACKAGE_app zolvane2)

install(TARGETS zolvane2-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
install(FILES ${ZOLVANE2_GENERATED}/man/zolvane2-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/data/zolvane2-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zolvane2-cli COMPONENT cli)
set(ZOLVANE2_COMPONENTS cli)
if(TARGET zolvane2)
  install(TARGETS zolvane2 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT app)
  install(FILES ${PROJECT_SOURCE_DIR}/src/app/help/zolvane2.html DESTINATION ${ZOLVANE2_DATA_SUBDIR}
          RENAME zolvane2.hlp COMPONENT app)
  install(FILES ${PROJECT_SOURCE_DIR}/data/${ZOLVANE2_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT app)
  install(FILES ${ZOLVANE2_GENERATED}/${ZOLVANE2_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT app)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT app)
  install(FILES ${ZOLVANE2_GENERATED}/man/zolvane2.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT app)
  list(APPEND ZOLVANE2_COMPONENTS app)
endif()
foreach(component IN LISTS ZOLVANE2_COMPONENTS)
  set(doc ${CMAKE_INSTALL_DATADIR}/doc/${ZOLVANE2_PACKAGE_${component}})
  install(FILES ${PROJECT_SOURCE_DIR}/data/copyright ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${doc}
          COMPONENT ${component})
  install(FILES ${PROJECT_SOURCE_DIR}/NEWS DESTINATION ${doc} COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_NAME zolvane2)
set(CPACK_PACKAGE_VENDOR "The Zolvane2 developers")
set(CPACK_PACKAGE_CONTACT "The Zolvane2 developers <zolvane2@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${ZOLVANE2_HOMEPAGE})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_ZOLVANE2_STRIP ${CMAKE_STRIP})
set(CPACK_PACKAGE_INSTALL_DIRECTORY zolvane2)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(CPACK_COMPONENTS_ALL ${ZOLVANE2_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZOLVANE2_DEBIAN_REVISION})
set(ZOLVANE2_DEBIAN_VERSION ${PROJECT_VERSION}-${ZOLVANE2_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME ${ZOLVANE2_PACKAGE_cli})
set(CPACK_DEBIAN_APP_PACKAGE_NAME ${ZOLVANE2_PACKAGE_app})
set(CPACK_DEBIAN_CLI_DESCRIPTION
    "record a sound input and cut it into track files (command line)
Zolvane2 records 16-bit PCM from a sound input (PulseAudio, or PipeWire
through pipewire-pulse) and cuts it into numbered WAVE or RAW track files
while it records. It also re-divides existing files by the same rules, joins
files, plays them one after another and mends WAVE files whose header was
never finished.
.
This package holds zolvane2-cli, the engine for scripts and headless
machines: it needs no display and no Qt.")
set(CPACK_DEBIAN_APP_DESCRIPTION
    "record a sound input and cut it into track files (window)
Zolvane2 records 16-bit PCM from a sound input (PulseAudio, or PipeWire
through pipewire-pulse) and cuts it into numbered WAVE or RAW track files
while it records, showing the level, the tracks and a result list of the
files it made. It also re-divides and joins files and plays them one after
another, also only their first seconds.
.
This package holds the Qt 6 window, its help, desktop entry and icons. The
window speaks Japanese.")
# The window is drawn in Japanese: without a font with Japanese glyphs every
# label is a row of boxes. Qt's Japanese translations and its Wayland plugin
# are loaded, not linked, and the window runs without them (in English
# dialogs, through XWayland).
set(CPACK_DEBIAN_APP_PACKAGE_DEPENDS
    "${ZOLVANE2_PACKAGE_cli} (= ${ZOLVANE2_DEBIAN_VERSION}), fonts-noto-cjk | fonts-japanese-gothic")
set(CPACK_DEBIAN_APP_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_CLI_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio")
# dpkg-shlibdeps (package dpkg-dev) finds the libraries each program links
# (libpulse, libFLAC, libcue, Qt 6 for the window);
# without it they are named here.
find_program(ZOLVANE2_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZOLVANE2_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(cxx_runtime "libstdc++6 (>= 12), libgcc-s1 (>= 3.0), libc6 (>= 2.34)")
  set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libpulse0 (>= 0.99.1), libflac12 (>= 1.4.2), libcue2 (>= 2.2.1), ${cxx_runtime}")
  string(APPEND CPACK_DEBIAN_APP_PACKAGE_DEPENDS
         ", libqt6widgets6 (>= 6.3.0), libqt6gui6 (>= 6.1.2), libqt6core6 (>= 6.4.0), libpulse0 (>= 0.99.1), "
         "libflac12 (>= 1.4.2), libcue2 (>= 2.2.1), "
         "${cxx_runtime}")
endif()
# Only the install rules above go into the packages: no tests, no benchmarks.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/" "/\\\\.git/")
include(CPack)
