find_package(benchmark REQUIRED)
include(cmake/TestDoubles.cmake)
# Each bench/*.cpp is a benchmark program of its own.
file(GLOB benches CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
foreach(src ${benches})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE zolvane2_testdoubles zolvane2core zolvane2_warnings benchmark::benchmark)
endforeach()
