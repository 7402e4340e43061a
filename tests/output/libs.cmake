# The video output: its sinks, fed synthetic pictures and read back through FFmpeg.
set(test_libs output)
# The tests look into the recordings' streams (the sound track) with libavformat themselves.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZX_AV_TESTS REQUIRED IMPORTED_TARGET libavformat libavutil)
target_link_libraries(${target} PRIVATE PkgConfig::ZX_AV_TESTS)
# The virtual Device as a program of its own, recording its program output (--output).
add_dependencies(${target} ktgsim_server)
target_compile_definitions(${target} PRIVATE KTGSIM_PROGRAM="$<TARGET_FILE:ktgsim_server>")
