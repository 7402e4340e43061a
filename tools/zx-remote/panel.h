// zx-remote's window on a desktop: the buses, the transition buttons and the lamps of the
// simulated switcher, each a button the operator can press. Only the program's own target links
// Qt; the switcher itself knows nothing of it.
#pragma once

#include "zx-remote/server.h"

namespace zxremote {

// Shows the panel until it is closed or the server quits; the server runs on a thread of its own.
int RunPanel(int argc, char** argv, RemoteServer& server, bool minimized);

}  // namespace zxremote
