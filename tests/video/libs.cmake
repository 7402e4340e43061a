# The end-to-end tests run the zx-remote program and speak to its control interface.
target_link_libraries(${target} PRIVATE zxremote)
add_dependencies(${target} zx_remote_program)
