# The demo tests: the demo library, the virtual Device the playout plays to, and the
# remote-control stand-in, whose own reader checks the demo's macro files; the playout with video
# runs the zx-player and zx-remote programs.
set(test_libs demo ktgsim zxremote gsmsim phonesim video output)
add_dependencies(${target} zx_player_program zx_remote_program)

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

# zx titles tree / fields / render on the demo's titles.
if(TARGET zx)
  add_test(NAME demo.TitlesCommand COMMAND ${CMAKE_CURRENT_LIST_DIR}/titles_command_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(demo.TitlesCommand PROPERTIES TIMEOUT 300)
endif()

# zx captions list, render and play on the demo's captions.
if(TARGET zx)
  add_test(NAME demo.CaptionsCommands COMMAND ${CMAKE_CURRENT_LIST_DIR}/captions_command_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(demo.CaptionsCommands PROPERTIES TIMEOUT 300)
endif()

# zx schedule: the demo's lists, editing them, and Automation mode headless on the embedded Device.
if(TARGET zx)
  add_test(NAME demo.ScheduleCommands COMMAND ${CMAKE_CURRENT_LIST_DIR}/schedule_command_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(demo.ScheduleCommands PROPERTIES TIMEOUT 300)
endif()

# zx chat and zx chat filter on the demo's SMS chat.
if(TARGET zx)
  add_test(NAME demo.ChatCommands COMMAND ${CMAKE_CURRENT_LIST_DIR}/chat_command_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(demo.ChatCommands PROPERTIES TIMEOUT 300)
endif()

# zx play --output: refusals of bad sinks, and a page played into a recording and a key/fill pair.
if(TARGET zx)
  add_test(NAME demo.OutputCommand COMMAND ${CMAKE_CURRENT_LIST_DIR}/output_command_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(demo.OutputCommand PROPERTIES TIMEOUT 300)
endif()

# zx itv on the demo's vote.
if(TARGET zx)
  add_test(NAME demo.ItvCommands COMMAND ${CMAKE_CURRENT_LIST_DIR}/itv_command_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(demo.ItvCommands PROPERTIES TIMEOUT 300)
endif()
