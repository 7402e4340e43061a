# The front end's tests, with the virtual Device the air frame's windows play to, the remote,
# the demo root the clock maker's and the chat view's tests start from, and the modem simulator
# the chat view receives its messages from.
set(test_libs ui video ktgsim demo gsmsim)

# The program of scripts/screenshots takes its pictures of the editor and its dialogs.
# (Leaks: the system libraries' caches, which the test programs' own suppressions cover, are not
# this program's concern; the tests above check the same code for leaks.)
add_test(NAME ui.ScreenshotsProgram COMMAND zentrix_screenshots ${CMAKE_CURRENT_BINARY_DIR}/ui_screenshots)
set_tests_properties(ui.ScreenshotsProgram PROPERTIES TIMEOUT 300
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")

# Keys pressed as the window system delivers them (shortcuts included).
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${target} PRIVATE Qt6::Test)
