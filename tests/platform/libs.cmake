set(test_libs platform)
