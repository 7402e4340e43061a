# The library each benchmark file measures (and may include), by file name; zx_bench links them all.
set(bench_libs_bench_air air)
set(bench_libs_bench_air_frame air)
set(bench_libs_bench_demo demo ktgsim)
set(bench_libs_bench_device_link device)
set(bench_libs_bench_editor pages)
set(bench_libs_bench_engine device ktgsim)
set(bench_libs_bench_fonts pages)
set(bench_libs_bench_ktgsim ktgsim)
set(bench_libs_bench_log app)
set(bench_libs_bench_pages pages)
set(bench_libs_bench_pictures pages)
set(bench_libs_bench_remote zxremote)
set(bench_libs_bench_seq_editor air)
set(bench_libs_bench_support pages)

# libswscale: the reference the Device conversion is measured against (benchmark only).
pkg_check_modules(ZX_SWSCALE REQUIRED IMPORTED_TARGET libswscale libavutil)
target_link_libraries(zx_bench PRIVATE PkgConfig::ZX_SWSCALE)
