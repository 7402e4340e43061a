// The status line the chat and interactive views show for the engine's status block.
#pragma once

#include <string>

#include "sms/sms_types.h"

namespace sms {

// The text for a status notification: the port, answer and support failures by their strings,
// "OK: " with the modem's name, battery and signal for a ready modem; "" for a code that leaves
// the shown text as it is.
std::string StatusText(const SMSStatus& status);

}  // namespace sms
