// The keys of translatable texts. A key is 32 bits: the top two give the kind, the rest name
// the text within its kind.
//   01 menu:   bits 29-16 = (menu id * 16 + pop-up count, low 4 bits) & 0x3FFF, bits 15-0 = the
//              item's command id (0 for a pop-up's own title)
//   10 dialog: bits 29-16 = dialog id & 0x3FFF, bits 15-0 = control id (0 = the caption)
//   11 string: bits 29-0  = string id
#pragma once

#include <cstdint>

namespace i18n {

enum class TextKind : int { None = 0, Menu = 1, Dialog = 2, String = 3 };

constexpr uint32_t MenuKey(int menuId, int popupCount, int commandId) {
    uint32_t high = ((uint32_t(menuId) * 16u) + (uint32_t(popupCount) & 0xFu)) & 0x3FFFu;
    return 0x40000000u | (high << 16) | (uint32_t(commandId) & 0xFFFFu);
}

constexpr uint32_t DialogKey(int dialogId, int controlId) {
    return 0x80000000u | ((uint32_t(dialogId) & 0x3FFFu) << 16) | (uint32_t(controlId) & 0xFFFFu);
}

constexpr uint32_t StringKey(int stringId) { return 0xC0000000u | (uint32_t(stringId) & 0x3FFFFFFFu); }

constexpr TextKind KindOf(uint32_t key) { return TextKind(key >> 30); }

// Walks one menu in the order its entries are met (depth first). The pop-up count starts at 0
// for each menu; every pop-up met raises it by one and its title takes the new count; an item
// takes the count as it stands when the item is met, even after a nested pop-up has closed.
class MenuKeyWalker {
public:
    explicit MenuKeyWalker(int menuId) : menuId_(menuId) {}
    uint32_t popup() { return MenuKey(menuId_, ++count_, 0); }
    uint32_t item(int commandId) const { return MenuKey(menuId_, count_, commandId); }
    int count() const { return count_; }

private:
    int menuId_;
    int count_ = 0;
};

}  // namespace i18n
