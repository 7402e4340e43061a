# The adapter protocols and the interactive engine; device: the event-log capture of the device
# tests, included as device/log_capture.h.
set(test_libs interactive device)

# zx voice and zx adapter on the stand-in in-process.
if(TARGET zx)
  add_test(NAME interactive.AdapterCommands
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/adapter_commands_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(interactive.AdapterCommands PROPERTIES TIMEOUT 300)
endif()
