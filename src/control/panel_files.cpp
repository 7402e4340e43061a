#include "control/panel_files.h"

#include "platform/files.h"

namespace control {

// Generated from resources/panel at configure time (src/control/panel.cmake).
extern const PanelFile kPanelFiles[];
extern const size_t kPanelFileCount;

const PanelFile* FindPanelFile(std::string_view path) {
    if (path == "/" || path.empty()) path = "/index.html";
    if (path.front() != '/') return nullptr;
    path.remove_prefix(1);
    for (size_t i = 0; i < kPanelFileCount; ++i)
        if (path == kPanelFiles[i].name) return &kPanelFiles[i];
    return nullptr;
}

const char* ContentTypeOf(std::string_view name) {
    const std::string ext = platform::ToLowerAscii(platform::ExtensionOfPath(name));
    if (ext == ".html") return "text/html; charset=utf-8";
    if (ext == ".css") return "text/css; charset=utf-8";
    if (ext == ".js") return "text/javascript; charset=utf-8";
    if (ext == ".svg") return "image/svg+xml";
    if (ext == ".png") return "image/png";
    return "application/octet-stream";
}

}  // namespace control
