set(test_libs gsmsim)
