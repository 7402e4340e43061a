# Extra libraries of the benchmarks: the virtual Device (a tool, not a core library).
target_link_libraries(zx_bench PRIVATE ktgsim)
# libswscale: the reference the Device conversion is measured against (benchmark only).
pkg_check_modules(ZX_SWSCALE REQUIRED IMPORTED_TARGET libswscale libavutil)
target_link_libraries(zx_bench PRIVATE PkgConfig::ZX_SWSCALE)
# The remote-control stand-in, for the switcher's benchmarks.
target_link_libraries(zx_bench PRIVATE zxremote)
target_link_libraries(zx_bench PRIVATE gsmsim)   # the modem simulator (tool)
