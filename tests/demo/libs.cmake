# The demo tests: the demo library, the virtual Device the playout plays to, and the
# remote-control stand-in, whose own reader checks the demo's macro files.
set(test_libs demo ktgsim zxremote)

# The README's main command on a fresh data folder, headless, with the programs of this build.
if(TARGET zx)
  add_test(NAME demo.MainCommandHeadless
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/main_command_test.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  set_tests_properties(demo.MainCommandHeadless PROPERTIES TIMEOUT 300)
endif()

# zx page device-data, the look at what a page file sends to the Device, on the demo's pages.
if(TARGET zx)
  add_test(NAME demo.PageDeviceData COMMAND ${CMAKE_CURRENT_LIST_DIR}/page_device_data_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(demo.PageDeviceData PROPERTIES TIMEOUT 300)
endif()
