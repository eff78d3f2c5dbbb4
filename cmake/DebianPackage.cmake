# Run by cpack on the staged files before it makes the packages: Debian wants
# manual pages and the changelog (NEWS, written in Debian's changelog form)
# compressed without a time stamp, and the licence named by the copyright file
# only (the full text is /usr/share/common-licenses/GPL-3 there). The
# programs, stripped by cpack already, also lose the compiler's .comment and
# the .note section, as Debian's own packages do. Each component is staged in
# a folder of its own below the temporary folder.
if(CPACK_GENERATOR STREQUAL "DEB")
  file(GLOB_RECURSE staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
  foreach(file IN LISTS staged)
    if(file MATCHES "/share/doc/[^/]+/NEWS$")
      get_filename_component(folder "${file}" DIRECTORY)
      file(RENAME "${file}" "${folder}/changelog.Debian")
      set(file "${folder}/changelog.Debian")
    endif()
    if(file MATCHES "/share/man/man1/[^/]+\\.1$" OR file MATCHES "/share/doc/[^/]+/changelog\\.Debian$")
      execute_process(COMMAND gzip -9 -n -f "${file}" COMMAND_ERROR_IS_FATAL ANY)
    elseif(file MATCHES "/share/doc/[^/]+/LICENSE$")
      file(REMOVE "${file}")
    elseif(file MATCHES "/bin/[^/]+$" AND CPACK_ZOLVANE2_STRIP)
      execute_process(COMMAND "${CPACK_ZOLVANE2_STRIP}" --remove-section=.comment --remove-section=.note "${file}"
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
endif()
