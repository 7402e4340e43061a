# The control interface: its library, the demo data folder and the virtual Device it is run
# against, and an HTTP client of cpp-httplib's (tests/control/http_client.cpp only).
set(test_libs control demo ktgsim)
find_package(nlohmann_json 3 REQUIRED)
target_link_libraries(${target} PRIVATE PkgConfig::ZX_HTTPLIB nlohmann_json::nlohmann_json)
