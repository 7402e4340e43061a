set(test_libs pages)
