# The video output: its sinks, fed synthetic pictures and read back through FFmpeg.
set(test_libs output)
