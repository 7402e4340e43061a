# The front end's tests, with the virtual Device the air frame's windows play to.
set(test_libs ui ktgsim)
