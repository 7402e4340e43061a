# The layer check's own tests run the checker program on small trees: no library of ours.
set(test_libs "")
target_compile_definitions(${target} PRIVATE ZX_CHECK_LAYERS="$<TARGET_FILE:zx_check_layers>")
add_dependencies(${target} zx_check_layers)
