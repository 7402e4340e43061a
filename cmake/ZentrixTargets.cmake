# Helpers shared by every CMakeLists of the tree.

# Our own code builds with all warnings; third-party headers come in as system headers. With
# ZX_WERROR (CI and scripts/test) a warning stops the build; off by default, so that a newer
# compiler on a user's machine does not.
set(ZX_WARNINGS -Wall -Wextra)
if(ZX_WERROR)
  list(APPEND ZX_WARNINGS -Werror -Wno-error=deprecated-declarations)
  # GCC 12 reports impossible overlaps and sizes inside the standard library once -O3 inlines it;
  # they stay visible as warnings but do not stop the build.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND ZX_WARNINGS -Wno-error=restrict -Wno-error=stringop-overflow -Wno-error=array-bounds
         -Wno-error=stringop-overread)
  endif()
endif()

# --- Layers --------------------------------------------------------------------------------------
# Every library, program, test program, fuzz harness and benchmark is a layer: the sources it is
# built from and the libraries it builds on. The layers are written to layers.txt at the end of the
# configure (zx_write_layers); the layer check (cmake/check_layers.cpp, run by the tests) fails on
# an include of a library that is not below the including layer and on a Qt include in a layer that
# does not build on ui.

# zx_layer(name SOURCES paths... [DEPS libraries...] [INCLUDE_AS prefix] [QT])
# SOURCES are folders or files (relative to the current source folder); a file belongs to the layer
# naming the longest path that holds it. INCLUDE_AS: the first folder of the include paths by which
# other layers reach its headers (libraries only). QT: the layer may include Qt.
function(zx_layer name)
  cmake_parse_arguments(ARG "QT" "INCLUDE_AS" "SOURCES;DEPS" ${ARGN})
  set(paths)
  foreach(s IN LISTS ARG_SOURCES)
    cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE OUTPUT_VARIABLE abs)
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${abs})
    string(REGEX REPLACE "/$" "" rel "${rel}")
    list(APPEND paths ${rel})
  endforeach()
  if(ARG_INCLUDE_AS)
    set(prefix ${ARG_INCLUDE_AS})
  else()
    set(prefix -)
  endif()
  if(ARG_QT)
    set(qt 1)
  else()
    set(qt 0)
  endif()
  list(JOIN paths "," paths)
  list(JOIN ARG_DEPS "," deps)
  set_property(GLOBAL APPEND_STRING PROPERTY ZX_LAYER_LINES "layer\t${name}\t${prefix}\t${qt}\t${paths}\t${deps}\n")
endfunction()

# zx_library(name [DIR folder] [DEPS libraries...] [PUBLIC_LIBS ...] [PRIVATE_LIBS ...]
#            [EXCLUDE file names...] [QT])
# One static library zx_<name> per folder (src/<name> unless DIR says otherwise, e.g. tools/<name>):
# every .cpp and .h below the folder belongs to it except the files named in EXCLUDE (the folder's
# programs). Other layers include its headers as "<folder>/...", so the folder's parent is its
# include path. DEPS are the libraries below it, by name; they are linked publicly, so whatever links a
# library links what it builds on.
function(zx_library name)
  cmake_parse_arguments(ARG "QT" "DIR" "DEPS;PUBLIC_LIBS;PRIVATE_LIBS;EXCLUDE" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${CMAKE_CURRENT_SOURCE_DIR}/${name})
  endif()
  cmake_path(ABSOLUTE_PATH ARG_DIR BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
  string(REGEX REPLACE "/$" "" ARG_DIR "${ARG_DIR}")
  cmake_path(GET ARG_DIR FILENAME folder)
  cmake_path(GET ARG_DIR PARENT_PATH include_root)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h ${ARG_DIR}/*.qrc)
  foreach(x IN LISTS ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "/${x}$")
  endforeach()
  add_library(zx_${name} STATIC ${srcs})
  target_include_directories(zx_${name} PUBLIC ${include_root})
  target_compile_options(zx_${name} PRIVATE ${ZX_WARNINGS})
  foreach(dep IN LISTS ARG_DEPS)
    target_link_libraries(zx_${name} PUBLIC zx_${dep})
  endforeach()
  target_link_libraries(zx_${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  if(ARG_QT)
    set(qt QT)
  endif()
  zx_layer(${name} SOURCES ${ARG_DIR} DEPS ${ARG_DEPS} INCLUDE_AS ${folder} ${qt})
endfunction()

# zx_uses(target [LAYER name] SOURCES paths... DEPS libraries... [COMPILES layers...]
#         [INCLUDE_AS prefix] [QT])
# A program, test program, fuzz harness or benchmark built from SOURCES: it links the libraries
# DEPS (with what they build on) and nothing else of ours, and the layer check holds its includes
# to them. The layer is named after the target unless LAYER names it. COMPILES: program layers
# whose shared sources it compiles in itself (it may include them, nothing is linked); such a
# program gives the prefix of its headers in INCLUDE_AS. QT: it uses Qt itself (a stand-in's
# panel); the libraries below stay without.
function(zx_uses target)
  cmake_parse_arguments(ARG "QT" "LAYER;INCLUDE_AS" "SOURCES;DEPS;COMPILES" ${ARGN})
  if(NOT ARG_LAYER)
    set(ARG_LAYER ${target})
  endif()
  foreach(dep IN LISTS ARG_DEPS)
    target_link_libraries(${target} PRIVATE zx_${dep})
  endforeach()
  set(extra)
  if(ARG_INCLUDE_AS)
    list(APPEND extra INCLUDE_AS ${ARG_INCLUDE_AS})
  endif()
  if(ARG_QT)
    list(APPEND extra QT)
  endif()
  zx_layer(${ARG_LAYER} SOURCES ${ARG_SOURCES} DEPS ${ARG_DEPS} ${ARG_COMPILES} ${extra})
endfunction()

# zx_layer_skip(paths...): folders the layer check leaves out (those this configure does not build).
function(zx_layer_skip)
  foreach(s IN LISTS ARGN)
    cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE OUTPUT_VARIABLE abs)
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${abs})
    string(REGEX REPLACE "/$" "" rel "${rel}")
    set_property(GLOBAL APPEND PROPERTY ZX_LAYER_SKIPS ${rel})
  endforeach()
endfunction()

# Writes the layers declared so far to <build>/layers.txt, with the folders whose C++ files must
# all belong to a layer. Called once, at the end of the top-level CMakeLists.
function(zx_write_layers)
  get_property(lines GLOBAL PROPERTY ZX_LAYER_LINES)
  get_property(skips GLOBAL PROPERTY ZX_LAYER_SKIPS)
  list(PREPEND skips tests/data)
  list(JOIN skips "," skips)
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/layers.txt CONTENT
       "# The layers of the build (written by cmake/ZentrixTargets.cmake), read by the layer check.
root\t${PROJECT_SOURCE_DIR}
scan\tsrc,tools,tests,fuzz,bench
skip\t${skips}
${lines}" @ONLY)
endfunction()
