target_link_libraries(${target} PRIVATE ktgsim)

# The README's main command on a fresh data folder, headless, with the programs of this build.
if(TARGET zx)
  add_test(NAME demo.MainCommandHeadless
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/main_command_test.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  set_tests_properties(demo.MainCommandHeadless PROPERTIES TIMEOUT 300)
endif()
# The demo's macro files are checked with the remote-control stand-in's own reader.
target_link_libraries(${target} PRIVATE zxremote)
