# The air tests: the air library, and the virtual Device for the runs against it.
set(test_libs air ktgsim)
