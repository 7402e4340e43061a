#include "interactive/itv_doc.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "app/log/event_log.h"
#include "pages/file_result.h"
#include "platform/bytes.h"
#include "platform/files.h"

namespace interactive {

namespace {

constexpr char kMagic[4] = {'Z', 'I', 'T', 'V'};
constexpr size_t kBindingsOffset = 64;
constexpr size_t kRowStride = 512;
constexpr uint32_t kKnownFlags =
    ITV_FLAG_ABSOLUTE | ITV_FLAG_FILL_WHOLE | ITV_FLAG_IGNORE_DUPLICATES | ITV_FLAG_CLOCK_SECONDS | ITV_FLAG_BLINKING;

}  // namespace

int ItvRowTitleId(int row) { return row >= 0 && row < kItvRows ? 18107 + row : 0; }

int CITVDoc::Load(const std::string& path) {
    std::vector<uint8_t> data;
    if (!platform::ReadFile(platform::ResolvePath(path), data)) {
        Clear();
        return pages::FILE_OPEN_ERROR;
    }
    const int code = Parse(data);
    if (code) LogMessage("CITVDoc::Load %s: %d", path.c_str(), code);
    return code;
}

int CITVDoc::Parse(std::span<const uint8_t> data) {
    Clear();
    platform::ByteReader r(data);
    char magic[4] = {};
    r.bytes(magic, 4);
    const uint32_t version = r.u32();
    if (!r.ok() || std::memcmp(magic, kMagic, 4) != 0) return pages::FILE_FORMAT_ERROR;
    if (version != ITV_FILE_VERSION) return pages::FILE_VERSION_ERROR;

    CITVDoc d;
    d.answers = r.i32();
    d.fullScale = r.i32();
    const uint32_t flags = r.u32();
    d.decimals = r.i32();
    if (!r.ok() || d.answers < 0 || d.answers > kItvAnswers || d.decimals < 0 || d.decimals > 2)
        return pages::FILE_FORMAT_ERROR;
    if (flags & ~kKnownFlags) LogMessage("CITVDoc: unknown flags 0x%X ignored", unsigned(flags & ~kKnownFlags));
    d.absolutePath = (flags & ITV_FLAG_ABSOLUTE) != 0;
    d.fillWholeScale = (flags & ITV_FLAG_FILL_WHOLE) != 0;
    d.ignoreDuplicates = (flags & ITV_FLAG_IGNORE_DUPLICATES) != 0;
    d.clockSeconds = (flags & ITV_FLAG_CLOCK_SECONDS) != 0;
    d.blinkingSeparator = (flags & ITV_FLAG_BLINKING) != 0;

    for (int row = 0; row < kItvRows; ++row)
        for (int col = 0; col < kItvColumns; ++col) {
            char name[kItvNameSize];
            r.seek(kBindingsOffset + kRowStride * size_t(row) + kItvNameSize * size_t(col));
            r.bytes(name, sizeof name);
            d.bindings[size_t(row)][size_t(col)].assign(name, strnlen(name, sizeof name));
        }
    r.seek(kItvLineTableOffset);
    for (int& line : d.lineTable) {
        line = r.i32();
        if (line < 0 || line > kItvAnswers) return pages::FILE_FORMAT_ERROR;
    }
    d.pagePath = platform::NormaliseDataName(r.str32(kItvStringMax));
    d.question = r.str32(kItvStringMax);
    for (int i = 0; i < kItvAnswers; ++i) {
        d.answerTexts[size_t(i)] = r.str32(kItvStringMax);
        d.keywords[size_t(i)] = r.str32(kItvStringMax);
    }
    if (!r.ok()) return pages::FILE_FORMAT_ERROR;
    *this = std::move(d);
    return pages::FILE_OK;
}

std::vector<uint8_t> CITVDoc::Serialize() const {
    std::vector<uint8_t> out;
    platform::ByteWriter w(out);
    w.bytes(kMagic, 4);
    w.u32(ITV_FILE_VERSION);
    w.i32(answers);
    w.i32(fullScale);
    uint32_t flags = 0;
    if (absolutePath) flags |= ITV_FLAG_ABSOLUTE;
    if (fillWholeScale) flags |= ITV_FLAG_FILL_WHOLE;
    if (ignoreDuplicates) flags |= ITV_FLAG_IGNORE_DUPLICATES;
    if (clockSeconds) flags |= ITV_FLAG_CLOCK_SECONDS;
    if (blinkingSeparator) flags |= ITV_FLAG_BLINKING;
    w.u32(flags);
    w.i32(decimals);
    w.zeros(40);
    for (const auto& row : bindings) {
        for (const std::string& name : row) {
            const size_t n = std::min(name.size(), kItvNameSize);
            w.bytes(name.data(), n);
            w.zeros(kItvNameSize - n);
        }
        w.zeros(kRowStride - kItvNameSize * kItvColumns);
    }
    for (int line : lineTable) w.i32(line);
    auto str = [&w](const std::string& s) {
        w.u32(uint32_t(s.size()));
        w.bytes(s.data(), s.size());
    };
    str(pagePath);
    str(question);
    for (int i = 0; i < kItvAnswers; ++i) {
        str(answerTexts[size_t(i)]);
        str(keywords[size_t(i)]);
    }
    return out;
}

int CITVDoc::Save(const std::string& path) const {
    if (!platform::WriteFileAtomic(path, Serialize())) {
        LogMessage("CITVDoc::Save %s failed", path.c_str());
        return pages::FILE_SAVE_ERROR;
    }
    return pages::FILE_OK;
}

std::string CITVDoc::PageFile(const std::string& pagesFolder) const {
    if (absolutePath || pagePath.empty() || pagePath.front() == '/') return pagePath;
    return platform::JoinPath(pagesFolder, pagePath);
}

void CITVDoc::SetPageFile(const std::string& path, const std::string& pagesFolder) {
    std::string folder = pagesFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    if (!folder.empty() && platform::StartsWithNoCase(path, folder) && path.size() > folder.size()) {
        pagePath = path.substr(folder.size());
        absolutePath = false;
    } else {
        pagePath = path;
        absolutePath = true;
    }
}

void CITVDoc::DefaultLineTable() {
    for (int i = 0; i < kItvAnswers; ++i) lineTable[size_t(i)] = i < answers ? i + 1 : 0;
}

std::string CITVDoc::DuplicateBinding() const {
    std::set<std::string> seen;
    for (const auto& row : bindings)
        for (const std::string& name : row)
            if (!name.empty() && !seen.insert(name).second) return name;
    return {};
}

}  // namespace interactive
