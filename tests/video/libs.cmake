# The end-to-end tests run the zx-remote program and speak to its control interface.
set(test_libs video zxremote)
add_dependencies(${target} zx_remote_program)
