# The adapter stand-in, and the interactive engine against it; device: the event-log capture.
set(test_libs phonesim device)
