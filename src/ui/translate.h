// Resource identifiers on Qt objects, and the hooks through which the translation replaces
// the texts of dialogs and menus. A dialog carries its dialog id and each control its control
// id; a menu action carries its command id. Without a translation installed the hooks do
// nothing and the built-in English texts stay.
#pragma once

#include <functional>

class QObject;
class QWidget;
class QMenuBar;

namespace ui {

// The resource id of a dialog, control or menu command (0 when none was set).
void SetResourceId(QObject* object, int id);
int ResourceId(const QObject* object);

using DialogTranslator = std::function<void(int dialogId, QWidget* dialog)>;
using MenuTranslator = std::function<void(int menuId, QMenuBar* menu)>;
void SetDialogTranslator(DialogTranslator fn);
void SetMenuTranslator(MenuTranslator fn);

// Called by every dialog once its controls exist, and by the main frame after building its menu.
void TranslateDialog(int dialogId, QWidget* dialog);
void TranslateMenu(int menuId, QMenuBar* menu);

}  // namespace ui
