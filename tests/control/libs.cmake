# The control interface: its library, the demo data folder and the virtual Device it is run
# against, and an HTTP client of cpp-httplib's (tests/control/http_client.cpp only).
set(test_libs control demo ktgsim)
find_package(nlohmann_json 3 REQUIRED)
target_link_libraries(${target} PRIVATE PkgConfig::ZX_HTTPLIB nlohmann_json::nlohmann_json)

# The panel in headless Chromium, driven over its DevTools pipe against zx serve; it leaves
# pictures of the panel in the build folder (panel-pictures/).
find_program(ZX_PYTHON3 python3)
if(TARGET zx AND ZX_PYTHON3)
  add_test(NAME control.PanelInBrowser
           COMMAND ${ZX_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/panel_browser_test.py $<TARGET_FILE:zx>
                   ${PROJECT_BINARY_DIR}/panel-pictures)
  set_tests_properties(control.PanelInBrowser PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
  add_test(NAME control.ServeCommand COMMAND ${CMAKE_CURRENT_LIST_DIR}/serve_command_test.sh $<TARGET_FILE:zx>)
  set_tests_properties(control.ServeCommand PROPERTIES TIMEOUT 120)
endif()
