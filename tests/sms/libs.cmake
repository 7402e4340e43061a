# The SMS engine, with the modem stand-in it talks to in the tests; device: the event-log capture
# of the device tests, included as device/log_capture.h.
set(test_libs sms gsmsim device)
