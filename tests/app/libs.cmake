set(test_libs app)
