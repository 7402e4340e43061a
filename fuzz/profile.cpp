// The settings file reader: any bytes parse, every read answers, and a write keeps the file
// readable.
#include <cstdint>
#include <string>

#include "app/profile.h"
#include "platform/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        std::string p = platform::RuntimeDir() + "zx_fuzz_profile.ini";
        return p;
    }();
    platform::WriteFileAtomic(path, data, size);
    app::Profile ini(path);
    for (const std::string& s : ini.sections())
        for (const std::string& k : ini.keys(s)) {
            (void)ini.getInt(s, k, 7);
            uint8_t rec[8];
            (void)ini.getStruct(s, k, rec, sizeof rec);
        }
    ini.putInt("Hardware", "Model", 3);
    app::Profile again(path);
    if (again.getInt("Hardware", "Model", -1) != 3) __builtin_trap();
    return 0;
}
