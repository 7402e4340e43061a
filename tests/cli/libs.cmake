# The commands' shared code is part of the zx program, not of a library: compiled in here too.
target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/cli/command.cpp)
