# Debian's hardening flags for the Release build, so that what cpack packages
# is built the way Debian builds its own packages: stack protector,
# _FORTIFY_SOURCE, format security, relro and bind-now. dpkg-buildflags
# (package dpkg-dev) answers where it is installed; elsewhere nothing changes.
#
# Its -g and -O levels are left out: the build type chooses optimisation and
# debug information. A sanitizer build keeps its own instrumentation only
# (the fortified functions would hide the accesses ASan checks), and a Debug
# build stays as it is.
option(ZOLVANE2_DEBIAN_FLAGS "Take dpkg-buildflags' hardening flags in the Release build" ON)
find_program(ZOLVANE2_DPKG_BUILDFLAGS dpkg-buildflags)
set(ZOLVANE2_HARDENED OFF)
if(ZOLVANE2_DEBIAN_FLAGS AND ZOLVANE2_DPKG_BUILDFLAGS AND NOT ZOLVANE2_SANITIZE)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${ZOLVANE2_DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g|O)")
    set(ZOLVANE2_DEB_${kind} ${flags})
  endforeach()
  # One expression per flag: a list inside one would be cut at its ";", and
  # the linker flags' commas would end it.
  foreach(flag IN LISTS ZOLVANE2_DEB_CPPFLAGS ZOLVANE2_DEB_CXXFLAGS)
    add_compile_options("$<$<CONFIG:Release>:${flag}>")
  endforeach()
  foreach(flag IN LISTS ZOLVANE2_DEB_LDFLAGS)
    string(REPLACE "," "$<COMMA>" flag "${flag}")
    add_link_options("$<$<CONFIG:Release>:${flag}>")
  endforeach()
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    set(ZOLVANE2_HARDENED ON)
    message(STATUS "Release build with dpkg-buildflags: ${ZOLVANE2_DEB_CPPFLAGS} ${ZOLVANE2_DEB_CXXFLAGS} "
                   "${ZOLVANE2_DEB_LDFLAGS}")
  endif()
endif()
