// Sequence files as they come from disk: any bytes give a result code and never a crash; a
// file that loads is written back into an image that loads to the same items.
#include <cstdint>
#include <cstring>

#include "air/seq_doc.h"
#include "app/folders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static app::FolderTable folders;  // no Pages folder: names stay as they are (and are missing)
    static platform::ManualClock clock;
    air::CSeqDoc seq(folders, clock);
    const int code = seq.LoadSequence(data, size, "fuzz.zxs");
    if (code != air::SEQ_OK && code != air::SEQ_MISSING_PAGES) {
        if (code < air::SEQ_OPEN_ERROR || code > air::SEQ_VERSION_ERROR || seq.count() != 0) __builtin_trap();
        return 0;
    }
    for (const air::SeqItem& it : seq.items)
        if (it.checked && !it.loaded) __builtin_trap();
    if (seq.checkedCount < 0 || seq.checkedCount > seq.count()) __builtin_trap();
    const std::vector<uint8_t> image = seq.Serialize();
    air::CSeqDoc back(folders, clock);
    if (back.LoadSequence(image.data(), image.size(), "back.zxs") == air::SEQ_FORMAT_ERROR) __builtin_trap();
    if (back.count() != seq.count() || back.loop != seq.loop) __builtin_trap();
    for (int i = 0; i < seq.count(); ++i) {
        const air::SeqItem &a = seq.items[size_t(i)], &b = back.items[size_t(i)];
        if (a.pageName != b.pageName || a.comment != b.comment || !(a.showParams == b.showParams) ||
            a.dateTo != b.dateTo || a.weekdays != b.weekdays)
            __builtin_trap();
    }
    return 0;
}
