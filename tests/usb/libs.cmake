# The USB adapter's port state machine and CUSBEngine against the simulated library (loaded with
# dlopen like the adapter's own); device: the event-log capture.
set(test_libs interactive device)

# zx usb listen and zx voiceboard on the simulated library.
if(TARGET zx)
  add_test(NAME usb.Commands COMMAND ${CMAKE_CURRENT_LIST_DIR}/usb_commands_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(usb.Commands PROPERTIES TIMEOUT 300)
endif()
