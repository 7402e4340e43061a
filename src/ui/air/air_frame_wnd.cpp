#include "ui/air/air_frame_wnd.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "air/device_commands.h"
#include "air/preview_params.h"
#include "air/seq_doc.h"
#include "app/file_types.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "device/engine.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/preview_page.h"
#include "platform/files.h"
#include "sms/chat_model.h"
#include "sms/sms_engine.h"
#include "ui/air/accelerators.h"
#include "ui/air/air_pictures.h"
#include "ui/air/air_view.h"
#include "ui/air/block_view.h"
#include "ui/air/caption_view.h"
#include "ui/air/chat_view.h"
#include "ui/air/effect_dialog.h"
#include "ui/air/hotkeys_dialog.h"
#include "ui/air/titr_view.h"
#include "ui/itv/itv_view.h"
#include "ui/qt_message_target.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

struct Transport {
    int command;  // and the string of its status text and tooltip
    uint16_t bit;
};
// In toolbar order.
constexpr Transport kTransport[6] = {
    {air::CMD_PREVIOUS, air::ACTION_PREVIOUS}, {air::CMD_PLAY, air::ACTION_PLAY}, {air::CMD_PAUSE, air::ACTION_PAUSE},
    {air::CMD_NEXT, air::ACTION_NEXT},         {air::CMD_STOP, air::ACTION_STOP}, {air::CMD_EFFECT, air::ACTION_EFFECT},
};

enum : int {
    IDR_AIR_SETTINGS = 134,
    IDS_AIR_TOOLBAR = 33900,
    IDS_AIR_ELAPSED = 33901,
    IDS_AIR_REMAINING = 33902,
    IDS_AIR_LINK = 33904,  // 33904-33906: the three lamps
    IDS_AIR_READY = 33907,
    IDS_AIR_BUTTON_KEY = 33908,
    IDS_AIR_CUEING = 33910,
    IDS_AIR_CUED = 33911,
    IDS_AIR_IN_EFFECT = 33912,
    IDS_AIR_SCROLLING = 33913,
    IDS_AIR_ENDING_SCROLL = 33914,
    IDS_AIR_OUT_EFFECT = 33915,
    IDS_AIR_STOPPING = 33916,
    IDS_AIR_ON_AIR = 33917,
    IDS_AIR_PAUSED = 33918,
    IDS_AIR_STATE_OF = 33919,
    IDS_AIR_CLOCK = 33920,
    IDS_AIR_INTERACTIVE = 33921,
    IDS_AIR_CAPTION = 33922,
    IDS_AIR_BANNER = 33923,
    IDS_AIR_VIDEO = 33924,
};
constexpr int kProgressLeft = 80;

}  // namespace

CAirFrameWnd::CAirFrameWnd(app::CZentrixApp& app, std::unique_ptr<air::DeviceCommands> commands,
                           const air::AirObjects& objects, QWidget* parent)
    : COnAirFrame(parent), app_(app), commands_(std::move(commands)), objects_(objects) {
    // The views' stack goes into a window of its own, which carries the toolbar and status bar.
    inner_ = new QMainWindow;
    inner_->setWindowFlags(Qt::Widget);
    QWidget* views = stack();
    setWidget(nullptr);  // detaches the stack from the sub-window
    inner_->setCentralWidget(views);
    setWidget(inner_);
    buildToolbar();
    buildStatusBar();
    SetTitle(app::LoadString(app::IDS_TITLE_AIR));

    receiver_ = std::make_unique<QtMessageTarget>([this](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        if (msg == platform::MSG_ENGINE && engineObserver_) engineObserver_(device::NoteCode(w), int(l));
        return controller_ ? controller_->OnMessage(msg, w, l) : 0;
    });
    accel_ = std::make_unique<CAccelTable>(this, [this](int command) { OnCommand(command); });
    controller_ =
        std::make_unique<air::CAirFrame>(app, *commands_, timers_, platform::SystemClock::instance(), objects_);
    controller_->setReceiver(receiver_.get());
    controller_->setWindow(this);
    RebuildHotkeys(controller_->hotkeys());
    // The state changes inside the controller, on the engine's notes and its own timers: the
    // pane follows at the pace of the page timer.
    stateTimer_ = new QTimer(this);
    connect(stateTimer_, &QTimer::timeout, this, &CAirFrameWnd::RefreshAirState);
    stateTimer_->start(int(air::PERIOD_PAGE));
}

CAirFrameWnd::~CAirFrameWnd() {
    // The views go while the controller they use still exists.
    for (int slot = 0; slot < app::VIEW_COUNT; ++slot) DestroyView(slot);
    // The controller stops the engine and its timers while the window parts still exist.
    controller_.reset();
    accel_.reset();
}

void CAirFrameWnd::buildToolbar() {
    toolbar_ = inner_->addToolBar(StrLine(IDS_AIR_TOOLBAR));
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(24, 24));
    for (int i = 0; i < 6; ++i) {
        const Transport& t = kTransport[i];
        if (t.command == air::CMD_EFFECT) toolbar_->addSeparator();
        QAction* a = toolbar_->addAction(TransportIcon(t.command), StrTip(t.command));
        SetResourceId(a, t.command);
        a->setStatusTip(StrLine(t.command));
        a->setEnabled(false);
        const int command = t.command;
        connect(a, &QAction::triggered, this, [this, command] { OnCommand(command); });
        actions_[i] = a;
    }
    toolbar_->addSeparator();
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    for (QLineEdit*& field : times_) {
        field = new QLineEdit;
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        field->setFont(font);
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        field->setFixedWidth(QFontMetrics(font).horizontalAdvance(QStringLiteral("00:00:00  ")) + 12);
        toolbar_->addWidget(field);
    }
    times_[0]->setToolTip(StrLine(IDS_AIR_ELAPSED));
    times_[1]->setToolTip(StrLine(IDS_AIR_REMAINING));
    toolbar_->addSeparator();
    auto* settings = new QToolButton;
    settings->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(settings);
    BuildPopupMenu(IDR_AIR_SETTINGS, menu);
    TranslateMenu(IDR_AIR_SETTINGS, menu);
    settings->setText(menu->title());
    connect(FindCommand(menu, air::CMD_HOTKEYS), &QAction::triggered, this, &CAirFrameWnd::OnHotkeys);
    settings->setMenu(menu);
    toolbar_->addWidget(settings);
}

void CAirFrameWnd::buildStatusBar() {
    QStatusBar* bar = inner_->statusBar();
    bar->setSizeGripEnabled(false);
    auto* pane = new QWidget;
    auto* layout = new QHBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    statusText_ = new QLabel(StrLine(IDS_AIR_READY));
    statusText_->setMinimumWidth(kProgressLeft);
    layout->addWidget(statusText_, 1);
    progress_ = new QProgressBar;
    progress_->setTextVisible(false);
    progress_->setMaximumHeight(14);
    progress_->hide();
    layout->addWidget(progress_, 1);
    bar->addWidget(pane, 1);
    for (int i = 0; i < 3; ++i) {
        indicators_[i] = new QLabel;
        indicators_[i]->setFixedSize(IndicatorWidth(i) + 4, kIndicatorHeight + 2);
        indicators_[i]->setAlignment(Qt::AlignCenter);
        indicators_[i]->setPixmap(IndicatorPixmap(i, 0, devicePixelRatioF()));
        bar->addPermanentWidget(indicators_[i]);
    }
    for (int i = 0; i < 3; ++i) indicators_[i]->setToolTip(StrLine(IDS_AIR_LINK + i));
}

QAction* CAirFrameWnd::action(int command) const {
    for (int i = 0; i < 6; ++i)
        if (kTransport[i].command == command) return actions_[i];
    return nullptr;
}

// ---- app::AirFrame

void CAirFrameWnd::ShowView(int slot) {
    COnAirFrame::ShowView(slot);
    controller_->setView(dynamic_cast<platform::MessageTarget*>(view(slot)));
    // Once the frame has its size in the document area.
    QTimer::singleShot(0, this, &CAirFrameWnd::FitPreview);
}

void CAirFrameWnd::FitPreview() {
    auto* v = dynamic_cast<CAirView*>(stack()->currentWidget());
    if (!v || !isVisible()) return;
    const QSize missing = v->missingRoom();
    if (missing.isEmpty()) return;
    QWidget* top = window();
    // Inside a document area that is itself too small, the main window grows.
    QWidget* grow = isMaximized() || !mdiArea() ? top : this;
    if (grow == top && (top->isMaximized() || top->isFullScreen())) return;
    QRect g = grow == top ? top->geometry() : geometry();
    g.setSize(g.size() + missing);
    if (grow == top) {
        const QRect work = top->screen() ? top->screen()->availableGeometry() : g;
        g.setWidth(std::min(g.width(), work.width()));
        g.setHeight(std::min(g.height(), work.height() - 40));  // the window manager's title
        if (g.right() > work.right()) g.moveRight(work.right());
        if (g.bottom() > work.bottom()) g.moveBottom(work.bottom());
        top->setGeometry(g);
    } else {
        setGeometry(g);
        // A frame that no longer fits the document area makes the main window grow in turn.
        QTimer::singleShot(0, this, &CAirFrameWnd::FitPreview);
    }
}

void CAirFrameWnd::DestroyView(int slot) {
    // The controller stops telling a view that is gone.
    if (QWidget* v = view(slot); v && dynamic_cast<platform::MessageTarget*>(v) == controller_->view())
        controller_->setView(nullptr);
    COnAirFrame::DestroyView(slot);
}

void CAirFrameWnd::OpenAir(bool automation) { controller_->OpenAir(automation); }

bool CAirFrameWnd::CanLeave() { return controller_->CanLeave(); }

bool CAirFrameWnd::PlayPreview(bool sequence) {
    // A new start would cut short what is on air or a command under way: that is stopped first.
    const int32_t state = controller_->State().state;
    if (state != air::AIR_IDLE && state != air::AIR_CUED) {
        // A refused hand-over does not linger to be played by a later, unrelated preview.
        pages::ClearPreviewPage();
        Beep();
        SetStatusText(FromProgramText(app::RefusalPreview(sequence)));
        return false;
    }
    // The editors' Play goes on air at once: the content plays as soon as it is in the Device
    // (after the link has come up, for a frame that has just opened).
    controller_->PlayWhenCued();
    if (sequence) {
        controller_->PlayPageList();
        return true;
    }
    // "Play page!" hands over a copy of the editor's page; without one the shared page plays.
    // Either plays with the show parameters the sequence editor set for it (an item's own), or
    // with the frame's default record.
    const pages::PreviewPage page = pages::CurrentPreviewPage();
    pages::ClearPreviewPage();
    if (page.image) controller_->PlayHandedPage(page, air::PreviewShowParams());
    else controller_->PlayPage(air::PreviewShowParams());
    return true;
}

bool CAirFrameWnd::PlayFile(const std::string& path) {
    if (!controller_->CanStart()) {
        Beep();
        return false;
    }
    if (app::FileTypeOf(path) == app::FT_CLOCK) {
        // Loaded for air into the program's clock object, then played; its thumbnail is the preview.
        if (!objects_.clock) return false;
        const int code = objects_.clock->LoadForAir(path);
        if (code != 0) {
            app::ShowFileResult(code, path);
            return false;
        }
        controller_->PlayClock();
        return true;
    }
    if (app::FileTypeOf(path) == app::FT_BANNER) {
        // Opened in the program's banner player with the file's loop flag; its preview shows.
        if (!objects_.banner) return false;
        const int code = objects_.banner->OpenFile(path);
        if (code != 0) {
            app::ShowFileResult(code, path);
            return false;
        }
        controller_->PlayBanner();
        return true;
    }
    if (app::FileTypeOf(path) == app::FT_SEQUENCE) {
        if (!objects_.sequence) return false;
        const int code = objects_.sequence->LoadSequence(path);
        if (code != 0) app::ShowFileResult(code, path);
        if (code & 0x100) return false;
        controller_->PlayPageList();
        return true;
    }
    if (!objects_.page || !objects_.pageImage) return false;
    const int code = objects_.page->Load(
        pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL | pages::LOAD_DEVICE | pages::LOAD_NO_PICTURES | pages::LOAD_VERIFY,
        path, *objects_.pageImage);
    if (code != 0) {
        app::ShowFileResult(code, path);
        return false;
    }
    controller_->PlayPage(nullptr);
    return true;
}

// ---- air::AirFrameWindow

void CAirFrameWnd::EnableActions(uint16_t bits) {
    for (int i = 0; i < 6; ++i) actions_[i]->setEnabled((bits & kTransport[i].bit) != 0);
}

void CAirFrameWnd::ShowTimes(const std::string& first, const std::string& second) {
    times_[0]->setText(QString::fromLatin1(first.c_str()));
    times_[1]->setText(QString::fromLatin1(second.c_str()));
}

void CAirFrameWnd::SetIndicator(int pane, int state) {
    if (pane < 0 || pane > 2) return;
    indicatorStates_[pane] = state;
    indicators_[pane]->setPixmap(IndicatorPixmap(pane, state, devicePixelRatioF()));
}

void CAirFrameWnd::Beep() { QApplication::beep(); }

bool CAirFrameWnd::EditEffect(air::ShowParams& params, const air::PageMotion* page, bool outApplies,
                              bool scrollApplies) {
    return CEffectDialog::Edit(this, params, page, outApplies, scrollApplies);
}

void CAirFrameWnd::RebuildHotkeys(const air::HotkeyTable& table) {
    accel_->rebuild(air::BuildAccelerators(table));
    // The buttons name their hotkeys.
    for (int i = 0; i < air::kHotkeyCount; ++i)
        if (QAction* a = action(air::kHotkeyEntries[i].command)) {
            const QKeySequence key = accel_->keyOf(size_t(i));
            a->setToolTip(key.isEmpty()
                              ? a->text()
                              : StrFmt(IDS_AIR_BUTTON_KEY, {a->text(), key.toString(QKeySequence::NativeText)}));
        }
}

void CAirFrameWnd::OnCommand(int command) {
    if (controller_->OnCommand(command)) return;
    if (auto* v = dynamic_cast<AirViewCommands*>(stack()->currentWidget()); v && v->OnViewCommand(command)) return;
    LogMessage("CAirFrame : view command %d", command);
}

void CAirFrameWnd::OnHotkeys() {
    air::HotkeyTable table = controller_->hotkeys();
    if (CHotkeysDialog::Edit(this, app_.profile(), table, KeysInUse(this))) controller_->setHotkeys(table);
}

// ---- Status bar

void CAirFrameWnd::SetStatusText(const QString& text) {
    statusText_->setText(text);
    noteUntil_ = QDateTime::currentMSecsSinceEpoch() + 6000;
}

void CAirFrameWnd::RefreshAirState() {
    if (!controller_ || !progress_->isHidden() || QDateTime::currentMSecsSinceEpoch() < noteUntil_) return;
    const QString text = AirStatusText(controller_->State());
    if (statusText_->text() != text) statusText_->setText(text);
}

QProgressBar* CAirFrameWnd::ShowProgress(int range) {
    statusText_->setMaximumWidth(kProgressLeft);
    progress_->setRange(0, std::max(range, 0));
    progress_->setValue(0);
    progress_->show();
    return progress_;
}

void CAirFrameWnd::HideProgress() {
    progress_->hide();
    statusText_->setMaximumWidth(QWIDGETSIZE_MAX);
    statusText_->setText(StrLine(IDS_AIR_READY));
    noteUntil_ = 0;
    RefreshAirState();
}

// What the frame is doing, in the status pane.
QString AirStatusText(const air::AirFrameState& s) {
    using namespace air;
    QString name = FromProgramText(s.pageName);
    name = name.mid(std::max(name.lastIndexOf('/'), name.lastIndexOf('\\')) + 1);
    if (name.isEmpty()) {
        if (s.kind & KIND_CLOCK) name = StrLine(IDS_AIR_CLOCK);
        else if (s.kind & KIND_INTERACTIVE) name = StrLine(IDS_AIR_INTERACTIVE);
        else if (s.kind & KIND_CAPTION) name = StrLine(IDS_AIR_CAPTION);
        else if (s.kind & KIND_BANNER) name = StrLine(IDS_AIR_BANNER);
        else if (s.kind & (KIND_VIDEO | KIND_VIDEO_PLAYLIST)) name = StrLine(IDS_AIR_VIDEO);
    }
    int what = IDS_AIR_ON_AIR;  // a page's time, the next page waiting, clock, banner, video
    switch (s.state) {
        case AIR_IDLE: return StrLine(IDS_AIR_READY);
        case AIR_PREPARED:
        case AIR_COPYING:
        case AIR_ITV_COPYING:
        case AIR_ITV_LOADING: what = IDS_AIR_CUEING; break;
        case AIR_CUED: what = IDS_AIR_CUED; break;
        case AIR_IN_EFFECT: what = IDS_AIR_IN_EFFECT; break;
        case AIR_SCROLL_PENDING:
        case AIR_SCROLLING:
        case AIR_SCROLL_HOLD: what = IDS_AIR_SCROLLING; break;
        case AIR_END_SCROLLING: what = IDS_AIR_ENDING_SCROLL; break;
        case AIR_OUT_EFFECT: what = IDS_AIR_OUT_EFFECT; break;
        case AIR_STOPPING: what = IDS_AIR_STOPPING; break;
        default: break;
    }
    // Paused freezes whatever was running.
    if (s.paused && s.state != AIR_CUED && s.state != AIR_STOPPING) what = IDS_AIR_PAUSED;
    return name.isEmpty() ? StrLine(what) : StrFmt(IDS_AIR_STATE_OF, {StrLine(what), name});
}

// ---- Registration

void InstallAirFrame(app::CZentrixApp& app, const AirShared& shared) {
    Factories().airFrame = [&app, shared]() -> std::unique_ptr<COnAirFrame> {
        if (!shared.engine) return nullptr;
        return std::make_unique<CAirFrameWnd>(app, std::make_unique<air::EngineCommands>(*shared.engine),
                                              shared.objects);
    };
    Factories().airView = [&app, chatEngine = shared.chatEngine, itvHardware = shared.itvHardware](
                              COnAirFrame& frame, int slot) -> QWidget* {
        auto* wnd = dynamic_cast<CAirFrameWnd*>(&frame);
        if (!wnd) return nullptr;
        if (slot == app::VIEW_CAPTIONS && pages::CFontManager::Instance())
            return new CCaptionView(*wnd, app, *pages::CFontManager::Instance());
        // SMS Chat plays its messages as the application's page.
        if (slot == app::VIEW_SMS_CHAT && pages::CFontManager::Instance() && wnd->objects().page &&
            wnd->objects().pageImage) {
            static sms::SmsChatEngine processEngine(sms::CSMSEngine::Instance());
            return new CChatView(*wnd, app, *pages::CFontManager::Instance(),
                                 chatEngine ? *chatEngine : static_cast<sms::ChatEngine&>(processEngine));
        }
        if (slot == app::VIEW_INTERACTIVE && pages::CFontManager::Instance()) {
            static const std::unique_ptr<interactive::ItvHardware> processHardware = interactive::MakeProcessHardware();
            return new CITVView(*wnd, app, *pages::CFontManager::Instance(),
                                itvHardware ? *itvHardware : *processHardware);
        }
        if (slot == app::VIEW_AUTOMATION) return new CBlockView(*wnd, app);
        // Live mode chooses from its titles tree; the editors' preview only shows what plays.
        if (slot == app::VIEW_LIVE) return new CTitrView(*wnd, app);
        if (slot != app::VIEW_PREVIEW) return nullptr;
        return new CAirView(wnd->controller(), wnd->objects().sequence, app.settings().isStatusClass2(), app.is400M());
    };
}

}  // namespace ui
