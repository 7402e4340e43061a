// The link between the page editor and the sequence editor: the sequence editor says what it
// opened the page editor for (a page to add, one of its items), and the page editor tells it
// every page it has saved, so the sequence can take in the new or renamed page and read the
// changed page again. Both sides live on the user-interface thread.
#pragma once

#include <functional>
#include <string>

namespace app {

// What the page editor is working on, as far as the sequence editor is concerned.
enum PageEditorUse : int {
    PAGE_USE_FREE = 0,  // opened on its own
    PAGE_USE_ADD = 1,   // "Add page": the first saved file joins the sequence
    PAGE_USE_ITEM = 2,  // "Edit page" / "Create new page" for an item of the sequence
};

using PageSavedListener = std::function<void(const std::string& path)>;

// The sequence editor listens while it is open (an empty function stops listening).
void SetPageSavedListener(PageSavedListener listener);
// The page editor, after a page file has been written successfully.
void NotifyPageSaved(const std::string& path);

// Set by the sequence editor before it opens the page editor, and by it again when a save has
// been taken in; the page editor may show it.
void SetPageEditorUse(int use);
int CurrentPageEditorUse();

}  // namespace app
