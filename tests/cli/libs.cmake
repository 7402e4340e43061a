# The commands' shared code is part of the zx program, not of a library: compiled in here too.
target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/cli/command.cpp)
# zx remote is run as a program against the zx-remote stand-in, whose control interface the
# tests speak.
target_link_libraries(${target} PRIVATE zxremote)
add_dependencies(${target} zx zx_remote_program)
