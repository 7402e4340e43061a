# The end-to-end tests run the zx-remote and zx-player programs and speak to their control
# interfaces.
set(test_libs video zxremote zxplayer)
add_dependencies(${target} zx_remote_program zx_player_program)
