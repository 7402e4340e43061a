# The device tests: the device library, and the virtual Device for the engine's runs against it.
set(test_libs device ktgsim)
