# The window lives in a library so that the window tests drive the same code.
list(FILTER ZOLVANE2_APP_SOURCES EXCLUDE REGEX "/main\\.cpp$")
file(GLOB ZOLVANE2_APP_HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/app/*.h)
file(GLOB ZOLVANE2_APP_RESOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/app/*.qrc)
add_library(zolvane2_window STATIC ${ZOLVANE2_APP_SOURCES} ${ZOLVANE2_APP_HEADERS} ${ZOLVANE2_APP_RESOURCES})
# Only the Qt targets run moc and rcc.
set_target_properties(zolvane2_window PROPERTIES AUTOMOC ON AUTORCC ON)
target_link_libraries(zolvane2_window PUBLIC zolvane2core Qt6::Widgets PRIVATE zolvane2_warnings)
target_compile_definitions(zolvane2_window PUBLIC QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
add_executable(zolvane2 ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
target_link_libraries(zolvane2 PRIVATE zolvane2_window zolvane2_warnings)
# Help sits beside the program as <program>.hlp.
if(EXISTS ${PROJECT_SOURCE_DIR}/src/app/help/zolvane2.html)
  add_custom_command(TARGET zolvane2 POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/src/app/help/zolvane2.html $<TARGET_FILE:zolvane2>.hlp)
endif()
# An installed window finds its help in the data folder: first relative to the
# program (a moved or relocated installation), then where it was installed.
file(RELATIVE_PATH ZOLVANE2_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/zolvane2)
target_compile_definitions(zolvane2_window PRIVATE ZOLVANE2_DATA_FROM_BIN="${ZOLVANE2_DATA_FROM_BIN}"
                           ZOLVANE2_DATA_DIR="${CMAKE_INSTALL_FULL_DATADIR}/zolvane2")
