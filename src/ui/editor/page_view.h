// The page editor's view: the page as the renderer draws it (the editor's own 720 × 576 picture,
// shown scaled by the zoom), the frame outlines and the tracker over it, the caret, and the
// operator's mouse and keyboard forwarded to the editor's model.
#pragma once

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include "pages/bitmap32.h"
#include "pages/editor/page_editor.h"

namespace ui {

class CPageView final : public QWidget {
    Q_OBJECT
public:
    explicit CPageView(pages::CPageEditor& editor, QWidget* parent = nullptr);

    // Zoom in percent (25..400).
    void setZoom(int percent);
    int zoom() const { return zoom_; }
    // The largest zoom at which the page fits a viewport of that size.
    static int FitZoom(const QSize& viewport);

    // Draws the page again (after any change of the model).
    void refresh();
    // The last picture of the page, as shown at 100 %.
    const pages::CBitmap32& screen() const { return screen_; }
    QPoint pageToWidget(int x, int y) const;
    QPoint widgetToPage(const QPoint& p) const;

    QSize sizeHint() const override;

signals:
    // A frame was created from a moving style that the page could not take (14032 shown).
    void frameDemoted();
    // The selection, caret or text format changed: the toolbars follow.
    void selectionChanged();
    // The zoom changed.
    void zoomChanged(int percent);
    // Ctrl + wheel asks for another zoom.
    void zoomRequested(int percent);
    // The operator asked for a context menu at a global position.
    void contextMenuAt(const QPoint& global);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    enum class Drag { None, Pending, Frame, Text, Create };

    double scale() const { return zoom_ / 100.0; }
    QRect pageRect() const;
    QRectF toWidget(const pages::Rect& r) const;
    int tolerance() const;
    void updateCursor(const QPoint& widgetPos);
    void restartCaret();
    void typeText(const QString& text);

    pages::CPageEditor& ed_;
    pages::CBitmap32 screen_;
    int zoom_ = 100;
    QTimer blink_;
    bool caretOn_ = true;

    Drag drag_ = Drag::None;
    pages::HitResult pressHit_;
    QPoint pressPage_;
    pages::Rect startRect_;
    pages::Rect tracked_;  // what a frame drag or a new frame would become
    bool selectedOnPress_ = false;
};

}  // namespace ui
