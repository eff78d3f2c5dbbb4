# Run by cpack on the staged files before it makes a package: Debian wants
# manual pages compressed, and the licence named by the copyright file only
# (the full text is /usr/share/common-licenses/GPL-3 there).
if(CPACK_GENERATOR STREQUAL "DEB")
  file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man1/*.1")
  foreach(page IN LISTS pages)
    execute_process(COMMAND gzip -9 -n -f "${page}" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  file(GLOB_RECURSE licences "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/zolvane2/LICENSE")
  if(licences)
    file(REMOVE ${licences})
  endif()
endif()
