set(test_libs zxremote)
