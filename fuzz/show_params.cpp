// Show parameters and page facts as they come from sequence, schedule and page files: any
// values give an effect word, a parameter, a show time and a dialog without a crash, and the
// results stay inside their fields.
#include <cstdint>
#include <vector>

#include "air/effect_dialog_model.h"
#include "air/effects.h"
#include "air/show_params.h"
#include "platform/bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::ByteReader r(data, size);
    air::ShowParams p;
    if (!air::ReadShowParams(r, p)) return 0;
    air::PageMotion m;
    m.movingType = r.i32();
    m.flags = r.i32();
    m.stripLength = r.i32();
    m.left = r.i32();
    m.top = r.i32();
    m.right = r.i32();
    m.bottom = r.i32();

    if (air::ShowTimeOf(p, m) < 2) __builtin_trap();
    (void)air::ComputedShowTime(p, m);
    for (bool in : {true, false}) {
        uint32_t param = air::EffectParam(p, in);
        if (param & ((1u << 21) | (1u << 27))) __builtin_trap();  // the gaps between the step fields
        (void)air::EffectWord(p, in);
    }
    (void)air::EffectDuration(p.inType, p.inSpeed, p.inFade != 0);

    // The dialog on the record, and on it as one of several pages.
    air::CEffectDialogModel model(p, &m, true, true);
    for (int f = 0; f < air::kShowParamsFields; ++f) {
        int32_t v = model.value(f);
        if (v < -1) __builtin_trap();
    }
    (void)model.shownShowTime();
    (void)model.inDurationText();
    (void)model.apply(p, &m);
    std::vector<air::ShowParams> items{p, air::DefaultShowParams()};
    std::vector<air::PageMotion> pages{m, air::PageMotion{}};
    air::CEffectDialogModel several = air::CEffectDialogModel::ForPages(items, pages, true);
    several.setTimeChoice(air::CEffectDialogModel::TimeChoice::Fixed);
    for (size_t i = 0; i < items.size(); ++i) (void)several.apply(items[i], &pages[i]);
    return 0;
}
