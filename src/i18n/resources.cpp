#include "i18n/resources.h"

#include <cstdio>
#include <iterator>
#include <map>
#include <unordered_map>

#include "app/strings.h"
#include "i18n/text_key.h"

namespace i18n {

namespace {

// ---- Dialogs

struct DialogLine {
    bool dialog;  // a dialog (its caption) rather than a control
    int id;
    const char* text;
};

#define ZX_DIALOG(id, caption) {true, id, caption},
#define ZX_CONTROL(id, text) {false, id, text},
constexpr DialogLine kDialogs[] = {
#include "resources/dialogs.inc"
};
#undef ZX_DIALOG
#undef ZX_CONTROL

uint64_t DialogIndexKey(int dialogId, int controlId) {
    return uint64_t(uint32_t(dialogId)) << 32 | uint32_t(controlId);
}

const std::unordered_map<uint64_t, const char*>& DialogIndex() {
    static const std::unordered_map<uint64_t, const char*> index = [] {
        std::unordered_map<uint64_t, const char*> m;
        int dialog = 0;
        for (const DialogLine& l : kDialogs) {
            if (l.dialog) dialog = l.id;
            // The first text of a key wins, as in a translation file; the key check reports
            // the second.
            m.emplace(DialogIndexKey(dialog, l.dialog ? 0 : l.id), l.text);
        }
        return m;
    }();
    return index;
}

// ---- Menus

enum class MenuOp { Menu, Popup, Item, Separator, End };
struct MenuLine {
    MenuOp op;
    int id;
    const char* text;
};

#define ZX_MENU(id) {MenuOp::Menu, id, ""},
#define ZX_POPUP(text) {MenuOp::Popup, 0, text},
#define ZX_ITEM(id, text) {MenuOp::Item, id, text},
#define ZX_SEPARATOR() {MenuOp::Separator, 0, ""},
#define ZX_END() {MenuOp::End, 0, ""},
constexpr MenuLine kMenus[] = {
#include "resources/menus.inc"
};
#undef ZX_MENU
#undef ZX_POPUP
#undef ZX_ITEM
#undef ZX_SEPARATOR
#undef ZX_END

// Every ZX_MENU and ZX_POPUP has its ZX_END.
constexpr bool MenusBalanced() {
    int depth = 0;
    for (const MenuLine& l : kMenus) {
        if (l.op == MenuOp::Menu && depth != 0) return false;
        if (l.op == MenuOp::Menu || l.op == MenuOp::Popup) ++depth;
        if (l.op == MenuOp::End && --depth < 0) return false;
        if ((l.op == MenuOp::Popup || l.op == MenuOp::Item || l.op == MenuOp::Separator) && depth == 0) return false;
    }
    return depth == 0;
}
static_assert(MenusBalanced(), "every menu and pop-up of resources/menus.inc ends with ZX_END()");

// Reads the entries from kMenus[at] up to the ZX_END that closes them.
std::vector<MenuEntry> ReadItems(size_t& at) {
    std::vector<MenuEntry> items;
    while (at < std::size(kMenus)) {
        const MenuLine& l = kMenus[at++];
        if (l.op == MenuOp::End) break;
        MenuEntry e;
        e.text = l.text;
        e.commandId = l.id;
        e.separator = l.op == MenuOp::Separator;
        e.isPopup = l.op == MenuOp::Popup;
        if (e.isPopup) e.items = ReadItems(at);
        items.push_back(std::move(e));
    }
    return items;
}

void CollectMenu(MenuKeyWalker& walker, const std::vector<MenuEntry>& items, std::vector<KeyedText>& out) {
    for (const MenuEntry& e : items) {
        if (e.isPopup) {
            uint32_t key = walker.popup();
            if (!e.ownerDrawn && !e.text.empty()) out.emplace_back(key, StoredText(e.text));
            CollectMenu(walker, e.items, out);
        } else if (!e.separator && !e.ownerDrawn && !e.text.empty()) {
            out.emplace_back(walker.item(e.commandId), StoredText(e.text));
        }
    }
}

}  // namespace

const char* BuiltinDialogText(int dialogId, int controlId) {
    const auto& index = DialogIndex();
    auto it = index.find(DialogIndexKey(dialogId, controlId));
    return it == index.end() ? nullptr : it->second;
}

std::vector<DialogText> BuiltinDialog(int dialogId) {
    std::vector<DialogText> out;
    bool inside = false;
    for (const DialogLine& l : kDialogs) {
        if (l.dialog) {
            inside = l.id == dialogId;
            if (inside && *l.text) out.push_back({0, l.text});
        } else if (inside) {
            out.push_back({l.id, l.text});
        }
    }
    return out;
}

std::vector<int> BuiltinDialogIds() {
    std::vector<int> ids;
    for (const DialogLine& l : kDialogs)
        if (l.dialog) ids.push_back(l.id);
    return ids;
}

std::vector<MenuEntry> BuiltinMenu(int menuId) {
    for (size_t i = 0; i < std::size(kMenus); ++i) {
        if (kMenus[i].op != MenuOp::Menu || kMenus[i].id != menuId) continue;
        size_t at = i + 1;
        return ReadItems(at);
    }
    return {};
}

std::vector<int> BuiltinMenuIds() {
    std::vector<int> ids;
    for (const MenuLine& l : kMenus)
        if (l.op == MenuOp::Menu) ids.push_back(l.id);
    return ids;
}

std::vector<KeyedText> MenuTexts(int menuId, const std::vector<MenuEntry>& menu) {
    std::vector<KeyedText> out;
    MenuKeyWalker walker(menuId);
    CollectMenu(walker, menu, out);
    return out;
}

std::vector<KeyedText> BaseTexts() {
    std::vector<KeyedText> out;
    for (int id : BuiltinMenuIds()) {
        std::vector<KeyedText> m = MenuTexts(id, BuiltinMenu(id));
        out.insert(out.end(), std::make_move_iterator(m.begin()), std::make_move_iterator(m.end()));
    }
    int dialog = 0;
    for (const DialogLine& l : kDialogs) {
        if (l.dialog) dialog = l.id;
        if (*l.text) out.emplace_back(DialogKey(dialog, l.dialog ? 0 : l.id), StoredText(l.text));
    }
    app::ForEachBuiltinString([&](int id, const char* text) {
        if (*text) out.emplace_back(StringKey(id), StoredText(text));
    });
    return out;
}

std::vector<std::string> KeyCollisions(const std::vector<KeyedText>& texts) {
    std::map<uint32_t, const std::string*> first;
    std::vector<std::string> out;
    for (const KeyedText& t : texts) {
        auto [it, fresh] = first.emplace(t.first, &t.second);
        if (fresh || *it->second == t.second) continue;
        char key[16];
        std::snprintf(key, sizeof key, "%08X", t.first);
        out.push_back(std::string(key) + ": \"" + *it->second + "\" and \"" + t.second + "\"");
    }
    return out;
}

std::string StoredText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

}  // namespace i18n
