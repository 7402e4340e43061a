# libswscale: the reference the Device conversion is measured against (benchmark only).
pkg_check_modules(ZX_SWSCALE REQUIRED IMPORTED_TARGET libswscale libavutil)
target_link_libraries(zx_bench PRIVATE PkgConfig::ZX_SWSCALE)
