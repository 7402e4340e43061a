# Extra libraries of the benchmarks: the virtual Device (a tool, not a core library).
target_link_libraries(zx_bench PRIVATE ktgsim)
