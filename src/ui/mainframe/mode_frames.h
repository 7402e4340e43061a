// The windows of the working modes inside the main frame: the editors' frames and the on-air
// frame with one view slot per on-air mode. Each mode's own window is built by its part of
// the program and plugged in through ModeFactories; until then a mode opens a placeholder
// that shows its picture and title.
#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "app/mode_manager.h"

class QStackedWidget;
class QLabel;

namespace ui {

// A mode's window in the main frame's document area. Closing it is a request to the mode
// manager (which may refuse); the manager destroys the window when it agrees.
class CModeFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CModeFrame(QWidget* parent = nullptr);
    ~CModeFrame() override;
    // What the close button asks for; runs after the close event has returned.
    void setCloseRequest(std::function<void()> fn) { closeRequest_ = std::move(fn); }
    // The window that was active when this one was made: a frame that goes without ever having
    // been shown (its document was refused) gives it back its place, maximized as it was.
    void setPrevious(QMdiSubWindow* previous);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Shows the frame (maximized the first time) and makes it the active child.
    void activateFrame();

private:
    std::function<void()> closeRequest_;
    bool shownOnce_ = false;
    QPointer<QMdiSubWindow> previous_;
    bool previousMaximized_ = false;
};

// An editor's frame. The editors derive from it; the placeholder accepts every document.
class CEditorFrame : public CModeFrame, public app::EditorFrame {
    Q_OBJECT
public:
    explicit CEditorFrame(int mode, QWidget* parent = nullptr);
    bool Prepare(const std::string& path) override;
    void Activate() override { activateFrame(); }
    int mode() const { return mode_; }

private:
    int mode_;
    QLabel* file_ = nullptr;
};

// A view of the on-air frame that may refuse to close (the Interactive view).
class AirViewConsent {
public:
    virtual ~AirViewConsent() = default;
    virtual bool CanClose() = 0;
};

// The on-air frame: one slot per on-air view, one view shown at a time. The air controller
// derives from it and answers OpenAir, CanLeave and PlayPreview.
class COnAirFrame : public CModeFrame, public app::AirFrame {
    Q_OBJECT
public:
    explicit COnAirFrame(QWidget* parent = nullptr);
    void SetTitle(const std::string& title) override;
    void CreateView(int slot) override;
    void DestroyView(int slot) override;
    void ShowView(int slot) override;
    bool ViewCanClose(int slot) override;
    QWidget* view(int slot) const;

protected:
    // Where the views go; a derived frame may put it into a layout of its own.
    QStackedWidget* stack() const { return stack_; }

private:
    QStackedWidget* stack_;
    QWidget* views_[app::VIEW_COUNT] = {};
};

// The placeholder content of a mode: its picture and title on a quiet background.
class CModePlaceholder : public QWidget {
    Q_OBJECT
public:
    CModePlaceholder(int mode, const QString& title, QWidget* parent = nullptr);
    void setNote(const QString& note);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int mode_;
    QString title_, note_;
};

// What the later parts of the program plug in; an empty entry leaves the placeholder.
struct ModeFactories {
    // The frame of MODE_PAGE_EDITOR or MODE_SEQUENCE_EDITOR.
    std::function<std::unique_ptr<CEditorFrame>(int mode)> editor;
    // The on-air frame (the air controller).
    std::function<std::unique_ptr<COnAirFrame>()> airFrame;
    // The view of an on-air slot (app::AirSlot), made inside frame; nullptr = placeholder.
    std::function<QWidget*(COnAirFrame& frame, int slot)> airView;
    // Starts the remote-control program from a folder; false when it cannot, after telling the
    // operator.
    std::function<bool(const std::string& folder)> launchRemote;
    // The hardware dialog's "Check": plays the sample clip (file) on a board (0, 1) through a
    // router input (0 = "IN1").
    std::function<void(QWidget* parent, int board, int input, const std::string& file)> checkVideo;
    // True while an on-air mode holds the MPEG players ("Check" waits until it lets them go).
    std::function<bool()> videoInUse;
    // "Edit playlist" on the program's air playlist: true when it changed.
    std::function<bool(QWidget* parent)> editAirPlaylist;
};
ModeFactories& Factories();

// The working mode a view slot belongs to (the preview shows as Live).
int ModeOfSlot(int slot);

}  // namespace ui
