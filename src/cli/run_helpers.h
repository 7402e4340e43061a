// What the zx commands that play on the embedded virtual Device share: file names given below
// the data root, the Device's picture for snapshots, and the modem simulator's script in scaled
// time.
#pragma once

#include <string>

#include "cli/command.h"
#include "pages/bitmap32.h"

namespace zx {

// A file named below --home may be given as such ("Titr/SMS chat.zxs"): the name below it when
// the file is not found as given but is there.
std::string UnderHome(const Args& a, const std::string& file);

// The embedded Device's program output as a page bitmap; false when it does not run.
bool GrabEmbeddedDevice(pages::CBitmap32& out);

// The modem simulator's script with its times divided by the time scale, in a file of the runtime
// folder named after `tag` and the process; "" when it cannot be read (error says why) or written.
std::string ScaledSimScript(const std::string& path, double scale, const std::string& tag, std::string& error);

}  // namespace zx
