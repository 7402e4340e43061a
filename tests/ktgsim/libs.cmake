# The virtual Device's tests; air: its effects are checked against the program's effect table.
set(test_libs ktgsim air)
