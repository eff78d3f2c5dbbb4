# zolvane2_layer(name [dep-layer...]) makes the layer src/<name> available as
#   zolvane2_<name>_iface    include paths and external libraries
#   zolvane2_<name>_objects  the layer's compiled sources (when it has any)
#   zolvane2_<name>          what tests and programs link: the layer's objects
#                            plus those of the layers it stands on
# Sources are globbed so that adding a file needs no edit here.
function(zolvane2_layer name)
  set(deps ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${name}/*.cpp)
  add_library(zolvane2_${name}_iface INTERFACE)
  target_include_directories(zolvane2_${name}_iface INTERFACE ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  add_library(zolvane2_${name} INTERFACE)
  target_link_libraries(zolvane2_${name} INTERFACE zolvane2_${name}_iface)
  foreach(dep ${deps})
    target_link_libraries(zolvane2_${name}_iface INTERFACE zolvane2_${dep}_iface)
    target_link_libraries(zolvane2_${name} INTERFACE zolvane2_${dep})
  endforeach()
  if(sources)
    add_library(zolvane2_${name}_objects OBJECT ${sources})
    target_link_libraries(zolvane2_${name}_objects PUBLIC zolvane2_${name}_iface PRIVATE zolvane2_warnings)
    target_sources(zolvane2_${name} INTERFACE $<TARGET_OBJECTS:zolvane2_${name}_objects>)
  endif()
endfunction()
