// The program's built-in texts besides the string table: the dialogs (each control's text by
// dialog id and control id, control 0 being the caption) and the menus (pop-ups and items by
// menu id), from resources/dialogs.inc and resources/menus.inc. The windows take their English
// texts from here, and the base translation file lists every one of them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "i18n/translation.h"

namespace i18n {

// The English text of a dialog's control (control 0: the caption); nullptr when the table has
// none.
const char* BuiltinDialogText(int dialogId, int controlId);
// Every control of a dialog in table order, the caption first when it has one.
std::vector<DialogText> BuiltinDialog(int dialogId);
// The dialog ids of the table, in table order.
std::vector<int> BuiltinDialogIds();

// A menu as its table lists it: pop-ups with their items (empty when the id is unknown).
std::vector<MenuEntry> BuiltinMenu(int menuId);
std::vector<int> BuiltinMenuIds();

// A text under its key in the stored form of the translation files ("\t" for a TAB).
using KeyedText = std::pair<uint32_t, std::string>;

// Every translatable text in a stable order: the menus (table order, pop-ups counted as the
// translation counts them), the dialogs (table order), then the strings by id.
std::vector<KeyedText> BaseTexts();
// The keys of a menu's texts in the order they are met (separators have none).
std::vector<KeyedText> MenuTexts(int menuId, const std::vector<MenuEntry>& menu);

// Keys that stand for two different texts (a menu with more than fifteen pop-ups, a control id
// used twice in a dialog...): one line per clash, naming the key and both texts. Empty = none.
std::vector<std::string> KeyCollisions(const std::vector<KeyedText>& texts);

// The stored form of a text: a TAB becomes the two characters "\t".
std::string StoredText(std::string_view text);

}  // namespace i18n
