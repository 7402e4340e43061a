// The control panel's files (resources/panel), built into the program as they are, so that the
// server needs nothing beside the executable and the panel needs nothing from outside.
#pragma once

#include <cstddef>
#include <string_view>

namespace control {

struct PanelFile {
    const char* name;  // "index.html", "panel.js", ...
    const unsigned char* data;
    size_t size;
};

// The file a request path names ("/" is "index.html"); nullptr for none.
const PanelFile* FindPanelFile(std::string_view path);
// The Content-Type of a file name.
const char* ContentTypeOf(std::string_view name);

}  // namespace control
