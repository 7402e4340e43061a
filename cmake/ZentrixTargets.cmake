# Helpers shared by every CMakeLists of the tree.

# Our own code builds with warnings as errors; third-party headers come in as system headers.
set(ZX_WARNINGS -Wall -Wextra -Werror -Wno-error=deprecated-declarations)
# GCC 12 reports impossible overlaps and sizes inside the standard library once -O3 inlines it;
# they stay visible as warnings but do not stop the build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND ZX_WARNINGS -Wno-error=restrict -Wno-error=stringop-overflow -Wno-error=array-bounds
       -Wno-error=stringop-overread)
endif()

# zx_library(NAME DIR dir DEPS a b c)
# One static library per folder of src/: every .cpp below the folder belongs to it.
function(zx_library name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS;PUBLIC_LIBS" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${CMAKE_CURRENT_SOURCE_DIR}/${name})
  endif()
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h)
  add_library(zx_${name} STATIC ${srcs})
  target_include_directories(zx_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
  target_compile_options(zx_${name} PRIVATE ${ZX_WARNINGS})
  foreach(dep IN LISTS ARG_DEPS)
    target_link_libraries(zx_${name} PUBLIC zx_${dep})
  endforeach()
  target_link_libraries(zx_${name} PUBLIC ${ARG_PUBLIC_LIBS})
  set_property(GLOBAL APPEND PROPERTY ZX_ALL_LIBS zx_${name})
endfunction()
