// The interactive system file reader: any bytes give 0, 259 or 260, never a crash or an
// allocation beyond the input; a file it accepts saves back to the same document.
#include <cstdint>
#include <cstdlib>

#include "interactive/itv_doc.h"
#include "pages/file_result.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    interactive::CITVDoc doc;
    const int code = doc.Parse({data, size});
    if (code != 0 && code != pages::FILE_FORMAT_ERROR && code != pages::FILE_VERSION_ERROR) std::abort();
    if (code != 0) return 0;
    if (doc.answers < 0 || doc.answers > 8 || doc.decimals < 0 || doc.decimals > 2) std::abort();
    for (int line : doc.lineTable)
        if (line < 0 || line > 8) std::abort();
    for (const auto& row : doc.bindings)
        for (const auto& name : row)
            if (name.size() > interactive::kItvNameSize) std::abort();
    const std::vector<uint8_t> saved = doc.Serialize();
    interactive::CITVDoc again;
    if (again.Parse(saved) != 0) std::abort();
    if (again.Serialize() != saved) std::abort();
    return 0;
}
