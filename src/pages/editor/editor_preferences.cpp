#include "pages/editor/editor_preferences.h"

#include <algorithm>

#include "app/profile.h"
#include "pages/page_image.h"

namespace pages {

namespace {
constexpr const char* kSection = "Editor";
}

void EditorPreferences::Load(const app::Profile& p) {
    hasBackground = p.getInt(kSection, "HasBackground", 0) != 0;
    backgroundFile = p.getString(kSection, "BackgroundFile", "");
    newPageType =
        p.getInt(kSection, "NewPageType", NEW_PAGE_EMPTY) == NEW_PAGE_TEMPLATE ? NEW_PAGE_TEMPLATE : NEW_PAGE_EMPTY;
    newPageTemplate = p.getString(kSection, "NewPageTemplate", "");
    filter = p.getInt(kSection, "Filter", 1) != 0;
    dither = p.getInt(kSection, "Dither", 1) != 0;
    useShadow = p.getInt(kSection, "UseShadow", 1) != 0;
    useBlend = p.getInt(kSection, "UseBlend", 1) != 0;
    useClip = p.getInt(kSection, "UseClip", 0) != 0;
    clipX = std::clamp(p.getInt(kSection, "ClipX", 20), 0, int(CLIP_OFFSET_MAX));
    clipY = std::clamp(p.getInt(kSection, "ClipY", 20), 0, int(CLIP_OFFSET_MAX));
}

void EditorPreferences::Save(app::Profile& p) const {
    app::Profile::Batch batch(p);
    SaveBackground(p);
    SaveNewPage(p);
    p.putInt(kSection, "Filter", filter ? 1 : 0);
    p.putInt(kSection, "Dither", dither ? 1 : 0);
    p.putInt(kSection, "UseShadow", useShadow ? 1 : 0);
    p.putInt(kSection, "UseBlend", useBlend ? 1 : 0);
    p.putInt(kSection, "UseClip", useClip ? 1 : 0);
    p.putInt(kSection, "ClipX", std::clamp(clipX, 0, int(CLIP_OFFSET_MAX)));
    p.putInt(kSection, "ClipY", std::clamp(clipY, 0, int(CLIP_OFFSET_MAX)));
}

void EditorPreferences::SaveBackground(app::Profile& p) const {
    app::Profile::Batch batch(p);
    p.putInt(kSection, "HasBackground", hasBackground ? 1 : 0);
    p.putString(kSection, "BackgroundFile", backgroundFile);
}

void EditorPreferences::SaveNewPage(app::Profile& p) const {
    app::Profile::Batch batch(p);
    p.putInt(kSection, "NewPageType", newPageType);
    p.putString(kSection, "NewPageTemplate", newPageTemplate);
}

int EditorPreferences::compileOptions() const {
    return COMPILE_DEVICE | COMPILE_THUMBNAIL | (filter ? COMPILE_FILTER : 0);
}

}  // namespace pages
