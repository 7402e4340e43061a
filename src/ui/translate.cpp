#include "ui/translate.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>
#include <QWizardPage>
#include <vector>

#include "i18n/text_key.h"
#include "i18n/translation.h"
#include "ui/text.h"

namespace ui {

namespace {
constexpr const char* kIdProperty = "zxResourceId";
constexpr const char* kDialogProperty = "zxDialogId";
DialogTranslator& dialogTranslator() {
    static DialogTranslator fn;
    return fn;
}
MenuTranslator& menuTranslator() {
    static MenuTranslator fn;
    return fn;
}
i18n::Translation*& translation() {
    static i18n::Translation* t = nullptr;
    return t;
}

// The controls of a dialog with an id, not those of a dialog or view inside it.
void CollectControls(QWidget* parent, std::vector<QObject*>& out) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || DialogId(w) != 0) continue;
        if (ResourceId(w) != 0) out.push_back(w);
        CollectControls(w, out);
    }
}

QString TextOf(QObject* o) {
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
    return {};
}

void SetTextOf(QObject* o, const QString& text) {
    if (auto* l = qobject_cast<QLabel*>(o)) l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(o)) b->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(o)) g->setTitle(text);
}

// A tab's text is the caption of the page it shows.
void TranslateTabs(QWidget* dialog, const i18n::Translation& tr) {
    for (QTabWidget* tabs : dialog->findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            int page = DialogId(tabs->widget(i));
            if (!page) continue;
            if (std::optional<std::string> t = tr.pageCaption(page)) tabs->setTabText(i, FromProgramText(*t));
        }
    }
}

void TranslateDialogWith(const i18n::Translation& tr, int dialogId, QWidget* dialog) {
    std::vector<QObject*> controls;
    CollectControls(dialog, controls);
    std::vector<i18n::DialogText> texts;
    texts.push_back({0, ToProgramText(dialog->windowTitle())});
    for (QObject* c : controls) texts.push_back({ResourceId(c), ToProgramText(TextOf(c))});
    const std::vector<i18n::DialogText> before = texts;
    tr.translateDialog(dialogId, texts);
    if (texts[0].text != before[0].text) {
        dialog->setWindowTitle(FromProgramText(texts[0].text));
        if (auto* page = qobject_cast<QWizardPage*>(dialog)) page->setTitle(FromProgramText(texts[0].text));
    }
    for (size_t i = 0; i < controls.size(); ++i)
        if (texts[i + 1].text != before[i + 1].text) SetTextOf(controls[i], FromProgramText(texts[i + 1].text));
    TranslateTabs(dialog, tr);
}

void TranslateItems(const i18n::Translation& tr, i18n::MenuKeyWalker& walker, const QList<QAction*>& actions) {
    for (QAction* a : actions) {
        if (a->isSeparator()) continue;
        if (QMenu* sub = a->menu()) {
            uint32_t key = walker.popup();
            if (std::optional<std::string> t = tr.lookUp(key)) sub->setTitle(FromProgramText(*t));
            TranslateItems(tr, walker, sub->actions());
        } else if (int id = ResourceId(a)) {
            if (std::optional<std::string> t = tr.lookUp(walker.item(id))) a->setText(FromProgramText(*t));
        }
    }
}

void TranslateMenuWith(const i18n::Translation& tr, int menuId, QWidget* menu) {
    if (!tr.active()) return;
    i18n::MenuKeyWalker walker(menuId);
    if (auto* bar = qobject_cast<QMenuBar*>(menu)) {
        TranslateItems(tr, walker, bar->actions());
    } else if (auto* popup = qobject_cast<QMenu*>(menu)) {
        // A shortcut menu is the first pop-up of its menu.
        if (std::optional<std::string> t = tr.lookUp(walker.popup())) popup->setTitle(FromProgramText(*t));
        TranslateItems(tr, walker, popup->actions());
    }
}

}  // namespace

void SetResourceId(QObject* object, int id) { object->setProperty(kIdProperty, id); }

int ResourceId(const QObject* object) { return object->property(kIdProperty).toInt(); }

void SetDialogId(QWidget* dialog, int id) { dialog->setProperty(kDialogProperty, id); }

int DialogId(const QWidget* dialog) { return dialog->property(kDialogProperty).toInt(); }

void SetDialogTranslator(DialogTranslator fn) { dialogTranslator() = std::move(fn); }
void SetMenuTranslator(MenuTranslator fn) { menuTranslator() = std::move(fn); }

void TranslateDialog(int dialogId, QWidget* dialog) {
    SetDialogId(dialog, dialogId);
    if (dialogTranslator()) dialogTranslator()(dialogId, dialog);
}

void TranslateMenu(int menuId, QWidget* menu) {
    if (menuTranslator()) menuTranslator()(menuId, menu);
}

void UseTranslation(i18n::Translation* tr) {
    translation() = tr;
    if (!tr) {
        SetDialogTranslator(nullptr);
        SetMenuTranslator(nullptr);
        return;
    }
    tr->install();
    SetDialogTranslator([tr](int dialogId, QWidget* dialog) {
        if (tr->active()) TranslateDialogWith(*tr, dialogId, dialog);
    });
    SetMenuTranslator([tr](int menuId, QWidget* menu) { TranslateMenuWith(*tr, menuId, menu); });
}

i18n::Translation* CurrentTranslation() { return translation(); }

}  // namespace ui
