# Stand-ins for the sound devices and the message service, shared by the test
# programs and the benchmarks; they stay out of the product.
if(NOT TARGET zolvane2_testdoubles)
  file(GLOB ZOLVANE2_TESTDOUBLE_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
  add_library(zolvane2_testdoubles STATIC ${ZOLVANE2_TESTDOUBLE_SOURCES})
  target_include_directories(zolvane2_testdoubles PUBLIC ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(zolvane2_testdoubles PUBLIC zolvane2_platform_iface PRIVATE zolvane2_warnings)
endif()
