#include "app/page_editor_link.h"

#include "app/log/event_log.h"

namespace app {

namespace {

struct Link {
    PageSavedListener listener;
    int use = PAGE_USE_FREE;
};

Link& link() {
    static Link l;
    return l;
}

}  // namespace

void SetPageSavedListener(PageSavedListener listener) { link().listener = std::move(listener); }

void NotifyPageSaved(const std::string& path) {
    // A copy: the listener may replace itself while it runs.
    PageSavedListener fn = link().listener;
    if (fn) fn(path);
}

void SetPageEditorUse(int use) {
    LogMessage("PageEditorLink : use %d", use);
    link().use = use;
}

int CurrentPageEditorUse() { return link().use; }

}  // namespace app
