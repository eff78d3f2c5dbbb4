find_package(GTest REQUIRED)
include(GoogleTest)

# One test program per folder under tests/. Folders that need the private
# sound server share the "pulse" fixture (scripts/pulse-daemon.sh).
set(ZOLVANE2_TEST_DEPS_platform zolvane2_platform)
set(ZOLVANE2_TEST_DEPS_trackfile zolvane2_trackfile)
set(ZOLVANE2_TEST_DEPS_record zolvane2_record)
set(ZOLVANE2_TEST_DEPS_jobs zolvane2_jobs)
set(ZOLVANE2_TEST_DEPS_play zolvane2_play)
set(ZOLVANE2_TEST_DEPS_cli zolvane2core)
# Folders whose tests use the private sound server run one at a time.
foreach(f platform trackfile jobs)
  set(ZOLVANE2_TEST_LOCK_${f} none_${f})
endforeach()
foreach(f record play cli)
  set(ZOLVANE2_TEST_LOCK_${f} pulse)
endforeach()

include(cmake/TestDoubles.cmake)

foreach(folder platform trackfile record jobs play cli)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(sources)
    add_executable(test_${folder} ${sources})
    target_link_libraries(test_${folder} PRIVATE ${ZOLVANE2_TEST_DEPS_${folder}} zolvane2_testdoubles
                          zolvane2_warnings GTest::gtest GTest::gtest_main)
    target_compile_definitions(test_${folder} PRIVATE
      ZOLVANE2_CLI_PATH="$<TARGET_FILE:zolvane2-cli>" ZOLVANE2_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    add_dependencies(test_${folder} zolvane2-cli)
    gtest_discover_tests(test_${folder} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS ${folder} FIXTURES_REQUIRED pulse RESOURCE_LOCK ${ZOLVANE2_TEST_LOCK_${folder}}
                         # One variable only: the property list is flattened. Tests derive the
                         # daemon's folder from its address.
                         ENVIRONMENT "PULSE_SERVER=unix:${CMAKE_BINARY_DIR}/pulse/runtime/pulse/native")
  endif()
endforeach()

# A private sound server for the tests that record and play for real: its own
# runtime folder, a pipe source fed bit-exact and a null sink.
add_test(NAME pulse_daemon_start COMMAND ${PROJECT_SOURCE_DIR}/scripts/pulse-daemon.sh start ${CMAKE_BINARY_DIR}/pulse)
add_test(NAME pulse_daemon_stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/pulse-daemon.sh stop ${CMAKE_BINARY_DIR}/pulse)
set_tests_properties(pulse_daemon_start PROPERTIES FIXTURES_SETUP pulse SKIP_RETURN_CODE 77)
set_tests_properties(pulse_daemon_stop PROPERTIES FIXTURES_CLEANUP pulse)

if(TARGET zolvane2)
  file(GLOB app_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/app/*.cpp)
  if(app_tests)
    add_executable(test_app ${app_tests})
    set_target_properties(test_app PROPERTIES AUTOMOC ON)
    target_link_libraries(test_app PRIVATE zolvane2_window zolvane2_testdoubles zolvane2_warnings
                          GTest::gtest GTest::gtest_main)
    # The Release build maps source paths to "." (reproducible builds), so
    # __FILE__ cannot lead a test to the sources.
    target_compile_definitions(test_app PRIVATE ZOLVANE2_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                               ZOLVANE2_CLI_PATH="$<TARGET_FILE:zolvane2-cli>")
    # The review page's cut is checked against the tool's.
    add_dependencies(test_app zolvane2-cli)
    gtest_discover_tests(test_app DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS app FIXTURES_REQUIRED pulse RESOURCE_LOCK pulse
                         # Each property takes one value here (the list is flattened), so the
                         # second variable goes through ENVIRONMENT_MODIFICATION; tests derive
                         # ZOLVANE2_PULSE_DIR from PULSE_SERVER.
                         ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                         ENVIRONMENT_MODIFICATION "PULSE_SERVER=set:unix:${CMAKE_BINARY_DIR}/pulse/runtime/pulse/native")
  endif()
endif()

# The window's --version answers without a display: a platform that needs one
# and has none would end the program before it printed anything.
if(TARGET zolvane2)
  add_test(NAME zolvane2_version_without_display
           COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
                   $<TARGET_FILE:zolvane2> --version)
  set_tests_properties(zolvane2_version_without_display PROPERTIES
                       PASS_REGULAR_EXPRESSION "^zolvane2 ${PROJECT_VERSION}\n$")
  # --help likewise: the switches and where the rest is told, in the locale's language.
  foreach(lang en:C ja:ja_JP.UTF-8)
    string(REPLACE ":" ";" lang "${lang}")
    list(GET lang 0 name)
    list(GET lang 1 locale)
    add_test(NAME zolvane2_help_without_display_${name}
             COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
                     LC_ALL=${locale} $<TARGET_FILE:zolvane2> /AUTOSTART --help)
  endforeach()
  set_tests_properties(zolvane2_help_without_display_en PROPERTIES PASS_REGULAR_EXPRESSION
    "^Usage: zolvane2 \\[/AUTOSTART\\] \\[/AUTOQUIT\\]\n.*--version.*man zolvane2\\. .*zolvane2-cli")
  set_tests_properties(zolvane2_help_without_display_ja PROPERTIES PASS_REGULAR_EXPRESSION
    "^使い方: zolvane2 \\[/AUTOSTART\\] \\[/AUTOQUIT\\]\n.*--version.*man zolvane2。.*zolvane2-cli")
endif()

# The installation: the files it delivers, and the desktop entry and AppStream
# data as the desktops' own validators see them (skipped without them).
set(ZOLVANE2_CHECK_INSTALL ${PROJECT_SOURCE_DIR}/tests/install/check-install.sh)
add_test(NAME install_tree
         COMMAND ${ZOLVANE2_CHECK_INSTALL} tree ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/install-check
                 $<$<TARGET_EXISTS:zolvane2>:app>)
add_test(NAME install_desktop_entry
         COMMAND ${ZOLVANE2_CHECK_INSTALL} desktop ${PROJECT_SOURCE_DIR}/data/${ZOLVANE2_APP_ID}.desktop)
add_test(NAME install_metainfo
         COMMAND ${ZOLVANE2_CHECK_INSTALL} metainfo ${ZOLVANE2_GENERATED}/${ZOLVANE2_APP_ID}.metainfo.xml)
# The Debian packages as cpack makes them: lintian, what they depend on, and
# what they deliver unpacked (skipped without lintian, and outside the
# hardened Release build, whose programs are the ones that get packaged).
add_test(NAME install_packages
         COMMAND ${ZOLVANE2_CHECK_INSTALL} packages ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/package-check
                 ${PROJECT_VERSION} ${ZOLVANE2_DEBIAN_REVISION} ${ZOLVANE2_RELEASE_DATE} ${PROJECT_SOURCE_DIR}
                 $<IF:$<TARGET_EXISTS:zolvane2>,app,cli> ${ZOLVANE2_HARDENED})
set_tests_properties(install_tree install_desktop_entry install_metainfo install_packages PROPERTIES
                     LABELS install SKIP_RETURN_CODE 77)
