#include <QAbstractButton>
#include <QMessageBox>
#include <thread>

#include "app/msgbox_watcher.h"
#include "platform/event_loop.h"
#include "ui/qt_message_boxes.h"
#include "ui_fixture.h"

namespace {

class MessageBoxes : public zxtest::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        zxtest::WriteText(home.file("z.ini"), "[Debug]\nLog=1\nTimestamp=0\n");
        app::ConfigureEventLog(home.file("z.ini"), home.path());
    }
    static QMessageBox* openBox() { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }
    std::string log() { return zxtest::ReadText(home.file("logfile.txt")); }

    platform::ManualClock clock;
    platform::EventLoop loop{clock};
    ui::QtMessageBoxes qtBoxes{clock, loop};
};

TEST_F(MessageBoxes, PlainOkBoxClosesAfterThirtySecondsOfSimulatedTime) {
    bool openAt29 = false, openAt31 = true;
    zxtest::Later([&] {
        loop.advance(29000);
        openAt29 = openBox() && openBox()->isVisible();
        loop.advance(2000);
        QApplication::processEvents();
        openAt31 = openBox() != nullptr;
        // Should it still be there, end the test rather than hang.
        if (QMessageBox* b = openBox()) b->done(QMessageBox::Cancel);
    });
    int answer = qtBoxes.show("KTG link error:\n\nDevice not responding!", app::MB_OK | app::MB_ICONERROR);
    EXPECT_TRUE(openAt29);
    EXPECT_FALSE(openAt31);
    EXPECT_EQ(answer, app::IDOK);
    EXPECT_EQ(log(), "MsgBoxThread(): started\r\nMsgBoxThread(): timeout fired\r\n");
}

TEST_F(MessageBoxes, QuestionsWaitForTheirAnswer) {
    bool stillOpen = false;
    QString text;
    zxtest::Later([&] {
        loop.advance(120000);
        QMessageBox* b = openBox();
        stillOpen = b && b->isVisible();
        if (!b) return;
        text = b->text();
        b->button(QMessageBox::No)->click();
    });
    int answer = qtBoxes.show("Do you want to delete selected file?", app::MB_YESNO | app::MB_ICONQUESTION);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(text, "Do you want to delete selected file?");
    EXPECT_EQ(answer, app::IDNO);
    EXPECT_EQ(log(), "");  // no watcher for questions
}

TEST_F(MessageBoxes, AnsweredBoxAndBoxesFromOtherThreads) {
    zxtest::Later([&] {
        loop.advance(3000);
        if (QMessageBox* b = openBox()) b->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(qtBoxes.show("Sequence is empty!", app::MB_OK), app::IDOK);
    loop.advance(60000);
    EXPECT_EQ(log(), "MsgBoxThread(): started\r\nMsgBoxThread(): no msgbox found\r\n");

    // A worker's box is shown on the GUI thread and the worker gets the answer.
    zxtest::WhenModal([](QWidget* w) {
        if (auto* b = qobject_cast<QMessageBox*>(w)) b->button(QMessageBox::Yes)->click();
    });
    int answer = 0;
    std::thread worker([&] { answer = qtBoxes.show("Keep current statistics?", app::MB_YESNO); });
    while (answer == 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    worker.join();
    EXPECT_EQ(answer, app::IDYES);
}

TEST_F(MessageBoxes, OwnerDestroyedWhileTheBoxWaits) {
    auto* owner = new QWidget;
    owner->show();
    QApplication::setActiveWindow(owner);
    bool parented = false;
    zxtest::WhenModal([&](QWidget* w) {
        parented = w->parentWidget() == owner;
        delete owner;  // a mode frame destroyed while its question waits
    });
    EXPECT_EQ(qtBoxes.show("Remove selected pages from the sequence?", app::MB_YESNO), app::IDCANCEL);
    EXPECT_TRUE(parented);
}

}  // namespace
