// Every text an operator sees comes from the resources by id. With a pseudo-language that wraps
// every text of the base file in [[ ]], the main frame, every mode and every dialog show no text
// outside the wrapping but data (numbers, names of models, ports and files). And the Language
// menu at work: the switch, the editor, a new language, a save that fails.
#include <QAbstractButton>
#include <QBitmap>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QWizard>
#include <filesystem>

#include "air/effect_dialog_model.h"
#include "air/seq_doc.h"
#include "app/message_boxes.h"
#include "demo/demo_root.h"
#include "demo/demo_vote.h"
#include "device/engine.h"
#include "device/program_feed.h"
#include "i18n/lang_table.h"
#include "i18n/text_key.h"
#include "i18n/translation.h"
#include "output/output_set.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "sms/chat_filter.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/block_view.h"
#include "ui/air/chat_dialogs.h"
#include "ui/air/effect_dialog.h"
#include "ui/air/hotkeys_dialog.h"
#include "ui/control/control_dialog.h"
#include "ui/control/control_link.h"
#include "ui/editor/colour_dialog.h"
#include "ui/editor/editor_dialogs.h"
#include "ui/editor/page_editor_frame.h"
#include "ui/fonts/font_substitution_dialog.h"
#include "ui/itv/itv_settings.h"
#include "ui/itv/itv_view.h"
#include "ui/itv/itv_voice.h"
#include "ui/mainframe/about_dlg.h"
#include "ui/mainframe/folder_browser.h"
#include "ui/mainframe/gui_shell.h"
#include "ui/mainframe/hardware_dlg.h"
#include "ui/mainframe/main_frame.h"
#include "ui/mainframe/preferences_dlg.h"
#include "ui/mainframe/translation_dlg.h"
#include "ui/monitor/device_panel.h"
#include "ui/monitor/program_monitor.h"
#include "ui/output/output_dialog.h"
#include "ui/pictures/bmp_to_tga_dialog.h"
#include "ui/pictures/import_picture_dialog.h"
#include "ui/qt_message_boxes.h"
#include "ui/resources.h"
#include "ui/seqedit/seq_dialogs.h"
#include "ui/seqedit/seq_frame.h"
#include "ui/text.h"
#include "ui/translate.h"
#include "ui/video/playlist_dialogs.h"
#include "ui/wizards/wiz_banner.h"
#include "ui/wizards/wiz_clock.h"
#include "ui/wizards/wiz_font.h"
#include "ui/wizards/wiz_itv.h"
#include "ui_fixture.h"
#include "video/playlist.h"

using namespace ui;

namespace {

bool Marked(const QString& s) { return s.contains("[[") || s.contains("]]"); }

// What a window may show untranslated: numbers and signs, the program's name, the names of
// Device models, ports, inputs, file formats and codecs, and files.
bool IsData(const QString& raw) {
    const QString s = QString(raw).remove('&').trimmed();
    if (s.isEmpty()) return true;
    static const QRegularExpression numeric(R"(^[\d\s.,:;%x+\-/|<>#()*]*$)");
    static const QRegularExpression names(R"(^(KTG\w*( #2)?|LPT\d|COM\d|IN\d+|Pseudo|Russian|Zentrix|ZENTRIX)$)");
    // The switcher's buttons and commands ("EFFECT1", "LOGO1 ON") and a build date.
    static const QRegularExpression switcher(R"(^[A-Z][A-Z0-9]*( ON| OFF)?$)");
    static const QRegularExpression date(R"(^[A-Z][a-z]{2} +\d{1,2} \d{4}$)");
    static const QRegularExpression files(R"((^/|\.(zxg|zxs|zxp|vid|zck|zxa|zxi|bmf|mpg|txt|zxl|lna)( \*)?$))");
    static const QStringList words = {"...",      "X",         "AOH",       "DTMF/FSK", "mov",        "mp4",
                                      "matroska", "mpegts",    "flv",       "image2",   "keyfill",    "qtrle",
                                      "png",      "prores_aw", "prores_ks", "libx264",  "mpeg2video", "English"};
    return numeric.match(s).hasMatch() || names.match(s).hasMatch() || files.match(s).hasMatch() ||
           switcher.match(s).hasMatch() || date.match(s).hasMatch() || words.contains(s);
}

class StrayTexts {
public:
    // Widgets whose items are the operator's data (font and style names...).
    void skip(const QWidget* w) { skip_.insert(w); }

    // A word the test itself put in as data.
    void allow(const QString& word) { allowed_ << word; }

    void check(const QString& where, const QString& text) {
        if (Marked(text) || IsData(text) || allowed_.contains(text)) return;
        problems_ << where + ": \"" + text + "\"";
    }

    // A window's title; a frame's maximized document shows as "title - [document]".
    void title(const QString& where, const QString& text) {
        static const QRegularExpression composed(R"(^(.*) - \[(.*)\]$)");
        const QRegularExpressionMatch m = composed.match(text);
        if (!m.hasMatch()) return check(where, text);
        check(where, m.captured(1));
        check(where, m.captured(2));
    }

    void actions(const QString& where, const QList<QAction*>& list) {
        for (QAction* a : list) {
            if (a->isSeparator() || !a->isVisible()) continue;
            if (QMenu* m = a->menu()) {
                check(where + " pop-up", m->title());
                actions(where, m->actions());
                continue;
            }
            check(where + " item", a->text());
        }
    }

    // Every visible text of a window and what it holds.
    void window(QWidget* root) {
        QList<QWidget*> all = root->findChildren<QWidget*>();
        all.prepend(root);
        for (QWidget* w : all) {
            if (skip_.contains(w)) continue;
            const QString where = QString::fromLatin1(w->metaObject()->className()) + "#" + w->objectName();
            if (auto* m = qobject_cast<QMenu*>(w)) {
                actions(where, m->actions());  // shortcut menus are hidden until they pop up
                continue;
            }
            if (!w->isVisible()) continue;
            if (w->isWindow() || qobject_cast<QMdiSubWindow*>(w))
                title(where + " title", w->windowTitle().remove("[*]"));
            check(where + " tooltip", w->toolTip());
            if (auto* l = qobject_cast<QLabel*>(w)) {
                if (l->pixmap().isNull()) check(where, l->text());
            } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                check(where, b->text());
            } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
                check(where, g->title());
            } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
                check(where + " placeholder", e->placeholderText());
            } else if (auto* c = qobject_cast<QComboBox*>(w)) {
                for (int i = 0; i < c->count(); ++i) check(where + " item", c->itemText(i));
            } else if (auto* t = qobject_cast<QTabWidget*>(w)) {
                for (int i = 0; i < t->count(); ++i) check(where + " tab", t->tabText(i));
            } else if (auto* h = qobject_cast<QHeaderView*>(w)) {
                if (h->model())
                    for (int i = 0; i < h->count(); ++i)
                        if (!h->isSectionHidden(i))
                            check(where + " header", h->model()->headerData(i, h->orientation()).toString());
            } else if (auto* bar = qobject_cast<QMenuBar*>(w)) {
                actions(where, bar->actions());
            } else if (auto* tb = qobject_cast<QToolBar*>(w)) {
                for (QAction* a : tb->actions())
                    if (!a->isSeparator() && a->isVisible()) check(where + " tooltip", a->toolTip());
            } else if (auto* s = qobject_cast<QStatusBar*>(w)) {
                check(where, s->currentMessage());
            } else if (auto* page = qobject_cast<QWizardPage*>(w)) {
                check(where + " page title", page->title());
                check(where + " page subtitle", page->subTitle());
            }
            if (auto* s = qobject_cast<QSpinBox*>(w)) check(where + " suffix", s->suffix());
            if (auto* s = qobject_cast<QDoubleSpinBox*>(w)) check(where + " suffix", s->suffix());
        }
    }

    // A dialog made and shown for the look.
    void dialog(QWidget& d) {
        d.show();
        QApplication::processEvents();
        window(&d);
        d.hide();
    }

    const QStringList& problems() const { return problems_; }
    std::string report() const { return problems_.join("\n").toStdString(); }

private:
    QSet<const QWidget*> skip_;
    QStringList allowed_;
    QStringList problems_;
};

// A language that shows where every text comes from: the base texts in [[ ]].
void WritePseudoLanguage(const std::string& folder) {
    i18n::LangTable base;
    ASSERT_EQ(base.load(folder + "zentrix.lna"), i18n::kLangOk);
    std::vector<std::pair<uint32_t, std::string>> texts;
    for (const i18n::LangEntry& e : base.entries())
        texts.emplace_back(e.key, "[[" + std::string(base.textAt(e)) + "]]");
    ASSERT_EQ(i18n::LangTable::Build(texts).save(folder + "Pseudo.zxl"), i18n::kLangOk);
}

struct TranslatedUi : zxtest::UiTest {
    pages::CFontManager fonts;
    device::CEngine engine;  // not opened: enough for the frames the main frame makes
    pages::CPageDoc page{fonts};
    pages::CPageImage image;
    std::unique_ptr<air::CSeqDoc> seq;
    i18n::Translation tr;

    // The demo's data root (with its translation files), a link, the editors and the air frame.
    void prepare() {
        demo::DemoResult r;
        std::string error;
        ASSERT_TRUE(demo::MakeDemoRoot(home.path(), {}, r, error)) << error;
        WritePseudoLanguage(home.file(""));
        a.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", home.path()}));
        // A GSM modem: SMS Chat opens too.
        a.settings().itv = 1;
        a.settings().itvModel = 2;
        a.setDeviceLink(&fakeLink);
        a.StartHardware();
        fonts.setFolder(a.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
        seq = std::make_unique<air::CSeqDoc>(a.folders(), platform::SystemClock::instance());
        tr.start(home.file(""), "zentrix", &a.profile());
        UseTranslation(&tr);
        RegisterPageEditor();
        RegisterSequenceEditor(objects());
        AirShared shared;
        shared.engine = &engine;
        shared.objects = objects();
        InstallAirFrame(a, shared);
    }
    int languageIndex(const std::string& file) const {
        const auto& l = tr.languages();
        auto it = std::find(l.begin(), l.end(), file);
        return it == l.end() ? -1 : int(it - l.begin()) + 1;
    }
    void choose(const std::string& file) { ASSERT_EQ(tr.selectLanguage(languageIndex(file)), i18n::kLangOk); }
    air::AirObjects objects() {
        air::AirObjects o;
        o.page = &page;
        o.pageImage = &image;
        o.sequence = seq.get();
        return o;
    }
    void TearDown() override {
        UseTranslation(nullptr);
        tr.uninstall();
        zxtest::UiTest::TearDown();
    }
};

// Handles the next modal window with fn, as long as the watch lives (so that a window that never
// came cannot be taken for another test's).
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(QWidget*)> fn) : fn_(std::move(fn)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || w == seen_) return;
            seen_ = w;
            ++count_;
            fn_(w);
        });
        timer_.start();
    }
    int count() const { return count_; }

private:
    std::function<void(QWidget*)> fn_;
    QTimer timer_;
    QPointer<QWidget> seen_;
    int count_ = 0;
};

QAction* ItemOf(QMenu* menu, int id) {
    for (QAction* a : menu->actions())
        if (ResourceId(a) == id) return a;
    return nullptr;
}

}  // namespace

TEST_F(TranslatedUi, TheMainFrameAndEveryModeShowOnlyTranslatedTexts) {
    prepare();
    {
        // The check finds the texts of English, which the pseudo-language does not wrap.
        CMainFrame english(a);
        english.show();
        StrayTexts plain;
        plain.window(&english);
        EXPECT_GT(plain.problems().size(), 20) << plain.report();
    }
    choose("Pseudo.zxl");
    CMainFrame f(a);
    f.resize(1280, 900);
    f.show();
    StrayTexts stray;
    stray.window(&f);

    for (int m = 0; m < app::MODE_COUNT; ++m) {
        if (m == app::MODE_INTERACTIVE) continue;  // checked on its own, with its dialogs
        // The page editor may ask for the new page's kind first (the demo has templates).
        ModalWatch newPage([&](QWidget* modal) {
            stray.window(modal);
            if (auto* d = qobject_cast<QDialog*>(modal)) d->accept();
        });
        ASSERT_TRUE(f.modes().OpenMode(app::ID_MODE_FIRST + m)) << m;
        settle();
        if (auto* ed = dynamic_cast<CPageEditorFrame*>(f.modes().editorFrame(app::MODE_PAGE_EDITOR))) {
            // The font and style lists are the operator's.
            stray.skip(ed->fontBox());
            stray.skip(ed->styleBox());
        }
        stray.window(&f);
        if (m >= app::MODE_LIVE) {
            ASSERT_TRUE(f.modes().CloseOnAirMode()) << m;
        }
        settle();
    }
    EXPECT_TRUE(stray.problems().isEmpty()) << stray.report();
}

TEST_F(TranslatedUi, EveryDialogShowsOnlyTranslatedTexts) {
    prepare();
    choose("Pseudo.zxl");
    StrayTexts stray;
    {
        CAboutDlg d;
        stray.dialog(d);
    }
    {
        CHardwareDlg d(a);
        stray.dialog(d);
    }
    {
        CPreferencesDlg d(a);
        stray.dialog(d);
    }
    {
        CTranslationDlg d(tr.base(), tr.current());
        stray.dialog(d);
    }
    {
        CFolderBrowser d(Str(18001), QString(), QString());
        stray.dialog(d);
    }
    {
        CParagraphDialog d(pages::ParaFormat{}, true);
        stray.dialog(d);
        CFrameDialog f(pages::FrameFormatting{}, true, true);
        stray.dialog(f);
        CEditorPrefsDialog e(pages::EditorPreferences{});
        stray.dialog(e);
        CNewPageDialog n({}, 0, "");
        stray.dialog(n);
        CColourDialog c(0x808080);
        stray.dialog(c);
        ImportPictureDialog i(300, 200, 720, 576);
        stray.dialog(i);
        BmpToTgaDialog b;
        stray.dialog(b);
        stray.allow("Courier");  // the missing font's name
        FontSubstitutionDialog s("Courier", {});
        stray.dialog(s);
    }
    {
        CActionDialog action(true, "page.zxg");
        stray.dialog(action);
        CShowDateDialog dates(air::ShowDateEdit{}, air::SeqDate{2030, 1, 1});
        stray.dialog(dates);
        CCheckDateDialog check(air::CheckByDateSettings{});
        stray.dialog(check);
    }
    {
        CHotkeysDialog hotkeys;
        stray.dialog(hotkeys);
        air::CEffectDialogModel model(air::ShowParams{}, nullptr, true, true);
        CEffectDialog effect(model);
        stray.dialog(effect);
        CEventDialog event(air::AutoEvent{}, "", "");
        stray.dialog(event);
        CBindingDialog binding(air::AutoEvent{}, "", "");
        stray.dialog(binding);
        CChatEditDialog edit("text");
        stray.dialog(edit);
        CChatFilterDialog filter(sms::CChatFilter{}, [](const sms::CChatFilter&) { return true; });
        stray.dialog(filter);
    }
    {
        CTransitionDlg transition(video::TransitionEdit{}, false);
        stray.dialog(transition);
        CTransitionDlg defaults(video::TransitionEdit{}, true);
        stray.dialog(defaults);
        CConfirmDeleteDlg confirm({"Evening news.vid"});
        stray.dialog(confirm);
        CVideoPlaylistDlg playlist(a, "");
        stray.skip(playlist.library);  // the clips' names and comments
        stray.dialog(playlist);
        CAddClipDlg clip(0, {});
        stray.dialog(clip);
        CAddButtonDlg button;
        stray.dialog(button);
        video::CPlaylist air;
        CAirPlaylistDlg airPlaylist(a, air);
        stray.dialog(airPlaylist);
    }
    {
        output::OutputSet set;
        COutputs outputs(a.profile(), set, true);
        COutputDialog d(outputs);
        stray.dialog(d);
        COutputSinkDialog sink(app::OutputSinkSetting{});
        stray.dialog(sink);
        CGuiShell shell(a);
        CControlLink link(a, fonts, shell, {});
        CControlDialog remote(a.profile(), link);
        stray.dialog(remote);
    }
    {
        CWizClock clock;
        stray.dialog(clock);
        CWizFont font(fonts);
        stray.dialog(font);
        CWizBanner banner;
        stray.dialog(banner);
    }
    {
        device::ProgramFeed feed;
        CProgramMonitor monitor(feed);
        monitor.SetPanel(new CDevicePanel([](int, std::string&) { return true; }, [] { return 1; }));
        stray.dialog(monitor);
        stray.actions("program monitor", {monitor.showAction()});
    }
    EXPECT_TRUE(stray.problems().isEmpty()) << stray.report();

    // A message box: its text and buttons, under the program's name.
    QtMessageBoxes boxes;
    app::SetMessageBoxes(&boxes);
    ModalWatch question([&](QWidget* modal) {
        StrayTexts box;
        box.window(modal);
        EXPECT_TRUE(box.problems().isEmpty()) << box.report();
        EXPECT_EQ(modal->windowTitle(), "Zentrix");
        if (auto* m = qobject_cast<QMessageBox*>(modal)) m->done(QMessageBox::No);
    });
    EXPECT_EQ(app::MessageBoxId(15021, app::MB_YESNO | app::MB_ICONQUESTION), app::IDNO);
    app::SetMessageBoxes(&this->boxes);
}

TEST_F(TranslatedUi, TheInteractiveSystemsViewDialogsAndWizardShowOnlyTranslatedTexts) {
    prepare();
    choose("Pseudo.zxl");
    CMainFrame f(a);
    f.resize(1280, 900);
    f.show();
    ASSERT_TRUE(f.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_INTERACTIVE));
    settle();
    auto* view = f.findChild<CITVView*>();
    ASSERT_NE(view, nullptr);
    StrayTexts stray;
    stray.allow("Vote.zxi");  // the demo's vote, its question and answers
    stray.allow(QString::fromStdString(view->model().doc().question));
    for (const std::string& t : view->model().doc().answerTexts) stray.allow(QString::fromStdString(t));
    stray.window(&f);
    {
        CITVSettingsSheet sheet(view->model().doc(), [](const interactive::CITVDoc&) { return true; });
        for (QWidget* w : sheet.findChildren<QWidget*>())
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) stray.skip(w);
        for (int i = 0; i < sheet.tabs()->count(); ++i) {
            sheet.tabs()->setCurrentIndex(i);
            stray.dialog(sheet);
        }
        CVoiceWriteDialog write(view->model(), 0x01);
        stray.dialog(write);
        CVoiceReadDialog read(0);
        stray.dialog(read);
        CSoundFilesDialog files({}, view->model().doc(), home.file(""));
        stray.dialog(files);
    }
    {
        CWizITV wiz(fonts, a.GetPath(app::FOLDER_PAGES), a.GetPath(app::FOLDER_ITV));
        wiz.show();
        settle();
        stray.window(&wiz);
        ASSERT_TRUE(wiz.page1().choose(home.file(demo::kVotePage)));
        stray.allow(QString::fromStdString(home.file(demo::kVotePage)));
        for (int step = 0; step < 7; ++step) {
            wiz.next();
            settle();
            for (QComboBox* list : wiz.currentPage()->findChildren<QComboBox*>()) stray.skip(list);  // frames
            stray.window(&wiz);
        }
        EXPECT_EQ(wiz.currentPage(), &wiz.page3());
    }
    ASSERT_TRUE(f.modes().CloseOnAirMode());
    settle();
    EXPECT_TRUE(stray.problems().isEmpty()) << stray.report();
}

TEST_F(TranslatedUi, ALanguageChoiceTranslatesTheMenuAtOnceAndTheWindowsOpenedAfter) {
    prepare();
    CMainFrame f(a);
    QMenu* languages = f.languageMenu();
    // English (none), then the files of the program folder by name; the current one checked.
    QList<QAction*> items;
    for (QAction* a : languages->actions())
        if (!a->isSeparator() && ResourceId(a) >= ID_LANGUAGE_FIRST && ResourceId(a) <= ID_LANGUAGE_LAST) items << a;
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "English");
    EXPECT_EQ(items[1]->text(), "Pseudo");
    EXPECT_EQ(items[2]->text(), "Russian");
    EXPECT_EQ(ResourceId(items[2]), ID_LANGUAGE_FIRST + 2);
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(f.command(ID_LANGUAGE_EDIT)->isEnabled());  // nothing to edit in English
    EXPECT_TRUE(f.command(ID_LANGUAGE_ADD)->isEnabled());
    EXPECT_EQ(f.modesMenu()->title(), "&Mode");

    items[2]->trigger();
    EXPECT_EQ(a.profile().getString("Language", "Name"), "Russian.zxl");
    EXPECT_EQ(f.modesMenu()->title(), "&Режим");
    EXPECT_EQ(f.settingsMenu()->title(), "&Настройка");
    EXPECT_EQ(f.modeAction(app::MODE_LIVE)->text(), "Ручной режим");
    EXPECT_EQ(f.statusBar()->currentMessage(), "Ready");  // a window made before keeps its texts
    EXPECT_TRUE(f.command(ID_LANGUAGE_EDIT)->isEnabled());
    ASSERT_NE(ItemOf(f.languageMenu(), ID_LANGUAGE_FIRST + 2), nullptr);
    EXPECT_TRUE(ItemOf(f.languageMenu(), ID_LANGUAGE_FIRST + 2)->isChecked());
    {
        CHardwareDlg d(a);
        EXPECT_EQ(d.windowTitle(), "Оборудование");
        EXPECT_EQ(d.enable->text(), "Подключение к KTG");
        EXPECT_EQ(d.closeButton->text(), "Закрыть");
    }
    // Back to English: the menu texts come back from the base file.
    ItemOf(f.languageMenu(), ID_LANGUAGE_FIRST)->trigger();
    EXPECT_EQ(f.modesMenu()->title(), "&Mode");
    EXPECT_EQ(f.modeAction(app::MODE_LIVE)->text(), "Live mode");
    EXPECT_EQ(a.profile().getString("Language", "Name"), "");

    // A language file that no longer reads: no language, the choice cleared, and the operator
    // told why.
    platform::WriteFileAtomic(home.file("Russian.zxl"), std::string_view("LANG broken"));
    ItemOf(f.languageMenu(), ID_LANGUAGE_FIRST + 2)->trigger();
    EXPECT_EQ(tr.selected(), 0);
    EXPECT_EQ(a.profile().getString("Language", "Name"), "");
    EXPECT_NE(boxes.lastText().find("invalid file format"), std::string::npos) << boxes.lastText();
    EXPECT_EQ(f.modesMenu()->title(), "&Mode");
    EXPECT_TRUE(ItemOf(f.languageMenu(), ID_LANGUAGE_FIRST)->isChecked());
}

TEST_F(TranslatedUi, TheEditorsRowsIconsResetAndOk) {
    prepare();
    choose("Russian.zxl");
    CTranslationDlg d(tr.base(), tr.current());
    ASSERT_EQ(d.list->count(), int(tr.base().count()));
    // The Mode menu's title, translated: icon 0; the pictures are six, 16 pixels, with a mask.
    EXPECT_EQ(d.list->item(0)->text(), "&Mode");
    const std::vector<QIcon> icons = TranslationIcons();
    ASSERT_EQ(icons.size(), 6u);
    for (const QIcon& i : icons) EXPECT_FALSE(i.pixmap(16, 16).mask().isNull());
    d.list->setCurrentRow(0);
    EXPECT_EQ(d.original->toPlainText(), "&Mode");
    EXPECT_TRUE(d.original->isReadOnly());
    EXPECT_EQ(d.translation->toPlainText(), "&Режим");
    // Reset: no translation, the field shows the base text.
    d.reset->click();
    EXPECT_EQ(d.translation->toPlainText(), "&Mode");
    EXPECT_FALSE(d.model().row(0).translation);
    // A new text is kept when the row is left.
    d.translation->setPlainText("&Режимы");
    d.list->setCurrentRow(1);
    EXPECT_EQ(*d.model().row(0).translation, ToProgramText("&Режимы"));
    // Other format markers: the row stands out and the note says why.
    int versionRow = -1;
    for (size_t i = 0; i < d.model().size(); ++i)
        if (d.model().row(i).key == i18n::StringKey(33607)) versionRow = int(i);
    ASSERT_GE(versionRow, 0);
    d.list->setCurrentRow(versionRow);
    d.translation->setPlainText("Версия %s");
    d.list->setCurrentRow(0);
    d.list->setCurrentRow(versionRow);
    EXPECT_FALSE(d.note->text().isEmpty());
    EXPECT_TRUE(d.model().markersDiffer(size_t(versionRow)));
}

TEST_F(TranslatedUi, EditTranslationSavesAndAFailedSaveKeepsTheFileAndSaysSo) {
    prepare();
    CMainFrame f(a);
    ItemOf(f.languageMenu(), ID_LANGUAGE_FIRST + languageIndex("Russian.zxl"))->trigger();
    ASSERT_EQ(tr.selectedPath(), home.file("Russian.zxl"));

    auto editFirstRow = [&f](const QString& text) {
        ModalWatch edit([text](QWidget* modal) {
            auto* d = qobject_cast<CTranslationDlg*>(modal);
            ASSERT_NE(d, nullptr);
            d->list->setCurrentRow(0);
            d->translation->setPlainText(text);
            d->accept();
        });
        f.command(ID_LANGUAGE_EDIT)->trigger();
        EXPECT_EQ(edit.count(), 1);
    };
    editFirstRow("&Режимы");
    EXPECT_EQ(f.modesMenu()->title(), "&Режимы");
    i18n::LangTable saved;
    ASSERT_EQ(saved.load(home.file("Russian.zxl")), i18n::kLangOk);
    EXPECT_EQ(platform::CodePage(1251).toUtf8(saved.Lookup(i18n::MenuKey(128, 1, 0))), "&Режимы");

    // The file cannot be replaced (a folder now stands in its place): error 3001 with the path,
    // and what stands there stays as it was.
    std::filesystem::rename(home.file("Russian.zxl"), home.file("Russian.keep"));
    platform::MakeDirectories(home.file("Russian.zxl"));
    platform::WriteFileAtomic(home.file("Russian.zxl/inside"), std::string_view("kept"));
    const int shown = boxes.count();
    editFirstRow("&Режим");
    EXPECT_EQ(boxes.count(), shown + 1);
    // Russian is chosen: the message is in Russian.
    EXPECT_NE(boxes.lastText().find(ToProgramText("Ошибка записи файла")), std::string::npos);
    EXPECT_NE(boxes.lastText().find(home.file("Russian.zxl")), std::string::npos);
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, app::MB_ICONERROR);
    std::string inside;
    EXPECT_TRUE(platform::ReadFile(home.file("Russian.zxl/inside"), inside));
    EXPECT_EQ(inside, "kept");
    // The edit stays in use, to be saved again.
    EXPECT_EQ(f.modesMenu()->title(), "&Режим");
}

TEST_F(TranslatedUi, AddLanguageStartsEmptySavesWhereTheListFindsItAndSelectsIt) {
    prepare();
    CMainFrame f(a);
    const std::string file = home.file("Klingon.zxl");
    ModalWatch windows([&](QWidget* modal) {
        if (auto* d = qobject_cast<CTranslationDlg*>(modal)) {
            // An empty table: every row shows its base text, with the icon of no translation.
            d->list->setCurrentRow(0);
            EXPECT_EQ(d->translation->toPlainText(), "&Mode");
            EXPECT_FALSE(d->model().anyTranslated());
            d->translation->setPlainText("&nIQ");
            d->accept();
        } else if (auto* save = qobject_cast<QFileDialog*>(modal)) {
            // Then the save dialog, in the program folder, for translation files.
            EXPECT_EQ(QDir(save->directory()).absolutePath(), QDir(QString::fromStdString(home.path())).absolutePath());
            EXPECT_TRUE(save->nameFilters().join(" ").contains("*.zxl"));
            save->selectFile(QString::fromStdString(file));
            QMetaObject::invokeMethod(save, "accept");
        } else {
            ADD_FAILURE() << "an unexpected window";
        }
    });
    f.command(ID_LANGUAGE_ADD)->trigger();
    EXPECT_EQ(windows.count(), 2);
    ASSERT_TRUE(platform::FileExists(file));
    EXPECT_EQ(tr.selectedPath(), file);
    EXPECT_EQ(a.profile().getString("Language", "Name"), "Klingon.zxl");
    EXPECT_EQ(f.modesMenu()->title(), "&nIQ");
    EXPECT_NE(ItemOf(f.languageMenu(), ID_LANGUAGE_FIRST + languageIndex("Klingon.zxl")), nullptr);
}

TEST_F(TranslatedUi, TheLanguageMenuListsSixteenEntriesAtMost) {
    prepare();
    // Seventeen more files: with English and the three there already, far more than sixteen.
    for (int i = 0; i < 17; ++i)
        std::filesystem::copy_file(home.file("Russian.zxl"), home.file("Extra" + std::to_string(10 + i) + ".zxl"));
    tr.listLanguages();
    CMainFrame f(a);
    int items = 0;
    for (QAction* a : f.languageMenu()->actions())
        if (const int id = ResourceId(a); id >= ID_LANGUAGE_FIRST && id <= ID_LANGUAGE_LAST) ++items;
    EXPECT_EQ(items, 16);
    EXPECT_EQ(ItemOf(f.languageMenu(), ID_LANGUAGE_LAST)->text(), "Extra24");
    // Without a base file the language commands do nothing and no language is offered.
    UseTranslation(nullptr);
    CMainFrame plain(a);
    EXPECT_FALSE(plain.command(ID_LANGUAGE_ADD)->isEnabled());
    EXPECT_EQ(ItemOf(plain.languageMenu(), ID_LANGUAGE_FIRST), nullptr);
}
