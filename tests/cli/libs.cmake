# The commands' shared code is part of the zx program, not of a library: compiled in here too.
# zx remote is run as a program against the zx-remote stand-in, whose control interface the
# tests speak.
set(test_libs zxremote)
set(test_compiles cli)
target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/cli/command.cpp)
add_dependencies(${target} zx zx_remote_program)
