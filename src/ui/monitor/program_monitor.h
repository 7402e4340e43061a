// The program monitor: a window of its own ("Program") that shows what the Device puts on air,
// from the embedded virtual Device's program output, with the transparent parts over a
// checkerboard or over black. It polls the feed and repaints only when a new picture came.
// Given the main window as its parent it is a tool window of it: it stays above the main window,
// opens beside it (never over its toolbars) and keeps its place and size in [Monitor].
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <vector>

class QAction;
class QTimer;

namespace device {
class ProgramFeed;
}

namespace ui {

class CProgramMonitor : public QWidget {
    Q_OBJECT
public:
    enum Backdrop { Checkerboard = 0, Black = 1 };

    // The choices are kept in [Monitor] of the settings file when there is an application.
    explicit CProgramMonitor(device::ProgramFeed& feed, QWidget* parent = nullptr);

    // Takes a new picture from the feed when there is one; true when it did (the timer calls it).
    bool Poll();
    void SetBackdrop(Backdrop b);
    Backdrop backdrop() const { return backdrop_; }
    // Sizes the window so that the picture shows at this percentage (50, 100, 200).
    void SetZoom(int percent);
    // The picture as shown: the output over the backdrop, at 720 x 576.
    QImage Composed() const;
    bool hasPicture() const { return !image_.isNull(); }
    uint64_t frames() const { return frames_; }
    QSize sizeHint() const override;

    // A panel along the bottom, under the picture (the embedded Device's keys); the monitor
    // owns it.
    void SetPanel(QWidget* panel);
    QWidget* panel() const { return panel_; }

    // "Program monitor" for the Window menu: shows the window and brings it to the front.
    QAction* showAction() const { return showAction_; }

    // Where the window opens: the rectangle kept in [Monitor] while it is still on a screen,
    // else beside the main window on its screen (right, else left), else, when the main window
    // fills the screen, at half size in the lower right corner of its document area.
    QRect InitialGeometry(const QWidget* mainWindow) const;
    // Takes that place (before the window is first shown).
    void PlaceBeside(const QWidget* mainWindow);
    // Writes the place and size to [Monitor] (on hiding and when the program ends).
    void SaveGeometry();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void paintBackdrop(QPainter& p, const QRect& r) const;
    QRect pictureRect() const;

    device::ProgramFeed& feed_;
    QTimer* timer_;
    QAction* showAction_;
    std::vector<uint8_t> rgba_;
    QImage image_;  // a view of rgba_
    uint64_t seen_ = 0;
    uint64_t frames_ = 0;
    Backdrop backdrop_ = Checkerboard;
    bool placed_ = false;  // shown at least once: its geometry is the operator's
    QWidget* panel_ = nullptr;
    int panelHeight() const;
};

}  // namespace ui
