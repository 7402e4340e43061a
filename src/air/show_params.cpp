#include "air/show_params.h"

#include <vector>

#include "app/profile.h"
#include "platform/bytes.h"

namespace air {

bool ReadShowParams(platform::ByteReader& r, ShowParams& p) {
    if (r.remaining() < kShowParamsSize) {
        r.fail();
        return false;
    }
    for (int i = 0; i < kShowParamsFields; ++i) Field(p, i) = r.i32();
    return r.ok();
}

void WriteShowParams(platform::ByteWriter& w, const ShowParams& p) {
    for (int i = 0; i < kShowParamsFields; ++i) w.i32(Field(p, i));
}

ShowParams LoadShowParams(const app::Profile& ini, std::string_view section, std::string_view key) {
    uint8_t raw[kShowParamsSize];
    ShowParams p = DefaultShowParams();
    if (!ini.getStruct(section, key, raw, sizeof raw)) return p;
    platform::ByteReader r(raw, sizeof raw);
    ReadShowParams(r, p);
    return p;
}

bool SaveShowParams(app::Profile& ini, std::string_view section, std::string_view key, const ShowParams& p) {
    std::vector<uint8_t> raw;
    platform::ByteWriter w(raw);
    WriteShowParams(w, p);
    return ini.putStruct(section, key, raw.data(), raw.size());
}

}  // namespace air
