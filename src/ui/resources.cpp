#include "ui/resources.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QWizard>
#include <vector>

#include "app/strings.h"
#include "i18n/format.h"
#include "i18n/resources.h"
#include "i18n/text_key.h"
#include "i18n/translation.h"
#include "platform/code_page.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

QString Str(int id) { return FromProgramText(app::LoadString(id)); }

QString StrLine(int id) { return FromProgramText(app::FirstLine(app::LoadString(id))); }

QString StrTip(int id) {
    const std::string s = app::LoadString(id);
    const size_t lf = s.find('\n');
    if (lf == std::string::npos) return {};
    return FromProgramText(s.substr(lf + 1, i18n::kMaxTooltip));
}

Arg::Arg(const QString& s) : kind_(Text) {
    QByteArray b = s.toUtf8();
    utf8_.assign(b.constData(), size_t(b.size()));
}

Arg::Arg(const std::string& s) : kind_(Text), utf8_(ProgramCodePage().toUtf8(s)) {}

Arg::Arg(const char* s) : kind_(Text), utf8_(s ? s : "") {}

QString Fmt(const QString& pattern, std::initializer_list<Arg> args) {
    std::vector<i18n::FormatArg> values;
    values.reserve(args.size());
    for (const Arg& a : args) {
        switch (a.kind_) {
            case Arg::Int: values.emplace_back(a.i_); break;
            case Arg::Real: values.emplace_back(a.d_); break;
            default: values.emplace_back(std::string_view(a.utf8_)); break;
        }
    }
    QByteArray p = pattern.toUtf8();
    std::string out = i18n::Format(std::string_view(p.constData(), size_t(p.size())), values.data(), values.size());
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

QString StrFmt(int id, std::initializer_list<Arg> args) { return Fmt(Str(id), args); }

QString BuiltinDlgText(int dialogId, int controlId) {
    const char* t = i18n::BuiltinDialogText(dialogId, controlId);
    return t ? FromProgramText(t) : QString();
}

QString DlgText(int dialogId, int controlId) {
    if (i18n::Translation* tr = CurrentTranslation())
        if (std::optional<std::string> t = tr->lookUp(i18n::DialogKey(dialogId, controlId))) return FromProgramText(*t);
    return BuiltinDlgText(dialogId, controlId);
}

// ---- DialogTexts

DialogTexts::DialogTexts(QWidget* dialog, int dialogId) : dialog_(dialog), id_(dialogId) {
    SetDialogId(dialog, dialogId);
    if (!i18n::BuiltinDialogText(dialogId, 0)) return;
    dialog->setWindowTitle(text(0));
    // A wizard's page shows its caption as its title.
    if (auto* page = qobject_cast<QWizardPage*>(dialog)) page->setTitle(text(0));
}

QLabel* DialogTexts::label(int controlId, QWidget* buddy) const {
    auto* l = (*this)(new QLabel, controlId);
    if (buddy) l->setBuddy(buddy);
    return l;
}

QPushButton* DialogTexts::button(int controlId) const { return (*this)(new QPushButton, controlId); }
QCheckBox* DialogTexts::check(int controlId) const { return (*this)(new QCheckBox, controlId); }
QRadioButton* DialogTexts::radio(int controlId) const { return (*this)(new QRadioButton, controlId); }
QGroupBox* DialogTexts::group(int controlId) const { return (*this)(new QGroupBox, controlId); }

QWidget* DialogTexts::set(QWidget* control, int controlId) const {
    SetResourceId(control, controlId);
    const QString t = text(controlId);
    if (auto* l = qobject_cast<QLabel*>(control)) l->setText(t);
    else if (auto* b = qobject_cast<QAbstractButton*>(control)) b->setText(t);
    else if (auto* g = qobject_cast<QGroupBox*>(control)) g->setTitle(t);
    return control;
}

void ButtonTexts(QDialogButtonBox* box) {
    using B = QDialogButtonBox;
    const std::pair<B::StandardButton, int> texts[] = {
        {B::Ok, IDS_BUTTON_OK},       {B::Cancel, IDS_BUTTON_CANCEL}, {B::Close, IDS_BUTTON_CLOSE},
        {B::Yes, IDS_BUTTON_YES},     {B::No, IDS_BUTTON_NO},         {B::Abort, IDS_BUTTON_ABORT},
        {B::Retry, IDS_BUTTON_RETRY}, {B::Ignore, IDS_BUTTON_IGNORE}, {B::Apply, IDS_BUTTON_APPLY},
        {B::Help, IDS_BUTTON_HELP},
    };
    for (const auto& [which, id] : texts)
        if (QPushButton* b = box->button(which)) b->setText(StrLine(id));
}

void WizardTexts(QWizard* wizard) {
    wizard->setButtonText(QWizard::BackButton, StrLine(IDS_WIZARD_BACK));
    wizard->setButtonText(QWizard::NextButton, StrLine(IDS_WIZARD_NEXT));
    wizard->setButtonText(QWizard::CommitButton, StrLine(IDS_WIZARD_NEXT));
    wizard->setButtonText(QWizard::FinishButton, StrLine(IDS_WIZARD_FINISH));
    wizard->setButtonText(QWizard::CancelButton, StrLine(IDS_BUTTON_CANCEL));
    wizard->setButtonText(QWizard::HelpButton, StrLine(IDS_BUTTON_HELP));
}

// ---- Menus

namespace {

void FillMenu(QMenu* menu, const std::vector<i18n::MenuEntry>& items, const ActionFor& actionFor,
              std::vector<QMenu*>& popups) {
    for (const i18n::MenuEntry& e : items) {
        if (e.separator) {
            menu->addSeparator();
        } else if (e.isPopup) {
            QMenu* sub = menu->addMenu(FromProgramText(e.text));
            popups.push_back(sub);
            FillMenu(sub, e.items, actionFor, popups);
        } else {
            QAction* a = actionFor ? actionFor(e.commandId) : nullptr;
            if (!a) a = new QAction(menu);
            a->setText(FromProgramText(e.text));
            SetResourceId(a, e.commandId);
            menu->addAction(a);
        }
    }
}

}  // namespace

std::vector<QMenu*> BuildMenuBar(int menuId, QMenuBar* bar, const ActionFor& actionFor) {
    std::vector<QMenu*> popups;
    for (const i18n::MenuEntry& e : i18n::BuiltinMenu(menuId)) {
        if (!e.isPopup) continue;
        QMenu* m = bar->addMenu(FromProgramText(e.text));
        popups.push_back(m);
        FillMenu(m, e.items, actionFor, popups);
    }
    return popups;
}

std::vector<QMenu*> BuildPopupMenu(int menuId, QMenu* menu, const ActionFor& actionFor) {
    std::vector<QMenu*> popups;
    for (const i18n::MenuEntry& e : i18n::BuiltinMenu(menuId)) {
        if (!e.isPopup) continue;
        menu->setTitle(FromProgramText(e.text));
        popups.push_back(menu);
        FillMenu(menu, e.items, actionFor, popups);
        break;
    }
    return popups;
}

namespace {
QAction* FindIn(const QList<QAction*>& actions, int commandId) {
    for (QAction* a : actions) {
        if (QMenu* sub = a->menu()) {
            if (QAction* found = FindIn(sub->actions(), commandId)) return found;
        } else if (!a->isSeparator() && ResourceId(a) == commandId) {
            return a;
        }
    }
    return nullptr;
}
}  // namespace

QAction* FindCommand(const QWidget* menu, int commandId) { return FindIn(menu->actions(), commandId); }

void CommandTips(QAction* action) {
    const int id = ResourceId(action);
    if (!id) return;
    const QString tip = StrTip(id);
    if (!tip.isEmpty()) {
        action->setToolTip(tip);
        // A button with its text shows the short name, not the menu text with its shortcut.
        action->setIconText(tip);
    }
    const QString line = StrLine(id);
    if (!line.isEmpty()) action->setStatusTip(line);
}

void CommandTips(QToolBar* toolbar) {
    for (QAction* a : toolbar->actions()) CommandTips(a);
}

}  // namespace ui
