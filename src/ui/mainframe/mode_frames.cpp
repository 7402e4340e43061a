#include "ui/mainframe/mode_frames.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QStackedWidget>
#include <QTimer>

#include "app/strings.h"
#include "ui/mainframe/artwork.h"
#include "ui/resources.h"
#include "ui/text.h"

namespace ui {

namespace {
constexpr int IDS_FRAME_MENU_FIRST = 33633;  // 33633-33639
}  // namespace

ModeFactories& Factories() {
    static ModeFactories f;
    return f;
}

int ModeOfSlot(int slot) {
    switch (slot) {
        case app::VIEW_PREVIEW:
        case app::VIEW_LIVE: return app::MODE_LIVE;
        case app::VIEW_AUTOMATION: return app::MODE_AUTOMATION;
        case app::VIEW_INTERACTIVE: return app::MODE_INTERACTIVE;
        case app::VIEW_CAPTIONS: return app::MODE_CAPTIONS;
        case app::VIEW_SMS_CHAT: return app::MODE_SMS_CHAT;
        default: return -1;
    }
}

// ---- CModeFrame

CModeFrame::CModeFrame(QWidget* parent) : QMdiSubWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose, false);  // the mode manager owns the frame
    setMinimumSize(320, 240);
    // The window menu of the title bar in the program's texts: restore, move, size, minimize,
    // maximize, stay on top, close, in the order the document area makes them.
    if (QMenu* menu = systemMenu()) {
        int n = 0;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && n < 7) a->setText(StrLine(IDS_FRAME_MENU_FIRST + n++));
    }
}

CModeFrame::~CModeFrame() {
    // The document area lets the next window down from maximized when a maximized one goes (or
    // one that was never shown, made over a maximized one): put it back afterwards.
    QMdiArea* area = mdiArea();
    if (!area) return;
    const bool maximized = shownOnce_ ? isMaximized() : previous_ && previousMaximized_;
    if (!maximized) return;
    QPointer<QMdiSubWindow> previous = shownOnce_ ? nullptr : previous_;
    QPointer<QMdiArea> where = area;
    QTimer::singleShot(0, area, [where, previous] {
        if (!where) return;
        QMdiSubWindow* next = previous ? previous.data() : where->activeSubWindow();
        if (!next) {
            const QList<QMdiSubWindow*> stack = where->subWindowList(QMdiArea::StackingOrder);
            if (!stack.isEmpty()) next = stack.last();
        }
        if (!next) return;
        if (!next->isMaximized()) next->showMaximized();
        where->setActiveSubWindow(next);
    });
}

void CModeFrame::setPrevious(QMdiSubWindow* previous) {
    previous_ = previous;
    previousMaximized_ = previous && previous->isMaximized();
}

void CModeFrame::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!closeRequest_) return;
    // The manager may destroy this frame: never inside its own event handler.
    auto request = closeRequest_;
    QTimer::singleShot(0, parentWidget() ? static_cast<QObject*>(parentWidget()) : this, request);
}

void CModeFrame::activateFrame() {
    if (!shownOnce_) {
        shownOnce_ = true;
        showMaximized();
    } else if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
    widget() ? widget()->setFocus() : setFocus();
}

// ---- CEditorFrame

CEditorFrame::CEditorFrame(int mode, QWidget* parent) : CModeFrame(parent), mode_(mode) {
    QString title = FromProgramText(app::ModeMenuText(mode));
    setWindowTitle(title);
    setWindowIcon(ModeIcon(mode));
    setWidget(new CModePlaceholder(mode, title));
}

bool CEditorFrame::Prepare(const std::string& path) {
    if (auto* p = qobject_cast<CModePlaceholder*>(widget()))
        p->setNote(path.empty() ? QString() : QFileInfo(QString::fromStdString(path)).fileName());
    return true;
}

// ---- COnAirFrame

COnAirFrame::COnAirFrame(QWidget* parent) : CModeFrame(parent) {
    stack_ = new QStackedWidget;
    setWidget(stack_);
    setWindowIcon(ModeIcon(app::MODE_LIVE));
}

void COnAirFrame::SetTitle(const std::string& title) { setWindowTitle(FromProgramText(title)); }

void COnAirFrame::CreateView(int slot) {
    if (slot < 0 || slot >= app::VIEW_COUNT || views_[slot]) return;
    QWidget* v = Factories().airView ? Factories().airView(*this, slot) : nullptr;
    if (!v) v = new CModePlaceholder(ModeOfSlot(slot), FromProgramText(app::LoadString(app::TitleIdOfSlot(slot))));
    views_[slot] = v;
    stack_->addWidget(v);
}

void COnAirFrame::DestroyView(int slot) {
    if (slot < 0 || slot >= app::VIEW_COUNT || !views_[slot]) return;
    stack_->removeWidget(views_[slot]);
    delete views_[slot];
    views_[slot] = nullptr;
}

void COnAirFrame::ShowView(int slot) {
    if (slot < 0 || slot >= app::VIEW_COUNT || !views_[slot]) return;
    stack_->setCurrentWidget(views_[slot]);
    setWindowIcon(ModeIcon(ModeOfSlot(slot)));
    activateFrame();
    views_[slot]->setFocus();
}

bool COnAirFrame::ViewCanClose(int slot) {
    QWidget* v = view(slot);
    auto* consent = dynamic_cast<AirViewConsent*>(v);
    return consent ? consent->CanClose() : true;
}

QWidget* COnAirFrame::view(int slot) const { return slot >= 0 && slot < app::VIEW_COUNT ? views_[slot] : nullptr; }

// ---- CModePlaceholder

CModePlaceholder::CModePlaceholder(int mode, const QString& title, QWidget* parent)
    : QWidget(parent), mode_(mode), title_(title) {
    setAutoFillBackground(false);
    setMinimumSize(240, 180);
    setFocusPolicy(Qt::StrongFocus);
}

void CModePlaceholder::setNote(const QString& note) {
    note_ = note;
    update();
}

void CModePlaceholder::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, height());
    bg.setColorAt(0, QColor(0xF4, 0xF5, 0xF8));
    bg.setColorAt(1, QColor(0xE2, 0xE5, 0xEC));
    p.fillRect(rect(), bg);
    int icon = std::min(96, std::max(32, std::min(width(), height()) / 4));
    QPixmap pm = ModeIconPixmap(mode_, icon, devicePixelRatioF());
    int top = height() / 2 - icon;
    p.drawPixmap(QPoint((width() - icon) / 2, top), pm);
    QFont f = font();
    f.setPixelSize(std::max(14, icon / 4));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x3A, 0x40, 0x4C));
    QRect text(0, top + icon + 12, width(), f.pixelSize() * 2);
    p.drawText(text, Qt::AlignHCenter | Qt::AlignTop, title_);
    if (!note_.isEmpty()) {
        QFont n = font();
        n.setPixelSize(std::max(12, icon / 6));
        p.setFont(n);
        p.setPen(QColor(0x6A, 0x70, 0x7C));
        p.drawText(QRect(0, text.bottom() + 4, width(), n.pixelSize() * 2), Qt::AlignHCenter | Qt::AlignTop, note_);
    }
}

}  // namespace ui
