# One warning list for every target of the project.
add_library(zolvane2_warnings INTERFACE)
target_compile_options(zolvane2_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Wformat=2
  -Wmisleading-indentation -Wsuggest-override)
# Clang does not know these; an unknown warning flag is itself an error under -Werror.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(zolvane2_warnings INTERFACE -Wduplicated-cond -Wlogical-op)
endif()
if(ZOLVANE2_WERROR)
  target_compile_options(zolvane2_warnings INTERFACE -Werror)
endif()
if(ZOLVANE2_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
