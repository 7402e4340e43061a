#include "ui/editor/page_view.h"

#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/message_boxes.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/style_library.h"
#include "ui/text.h"

namespace ui {

namespace {

constexpr int kMargin = 16;
constexpr int kHandle = 7;
constexpr double kPageW = pages::PAGE_WIDTH, kPageH = pages::PAGE_HEIGHT;
const QColor kWorkspace(0x3A, 0x3F, 0x47);
const QColor kSelection(0x2F, 0x8F, 0xFF);
const QColor kLocked(0xE0, 0x40, 0x40);

pages::Rect normalized(const QPoint& a, const QPoint& b) {
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())};
}

// A small arrow pair that marks a Scroller (across) or a Roll (up).
void paintMotionMark(QPainter& p, const QRectF& r, int type) {
    // Above the frame, out of the text's way, unless the frame touches the top.
    const double top = r.top() >= 18 ? r.top() - 16 : r.top() + 3;
    const QRectF badge(r.left(), top, 18, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRoundedRect(badge, 3, 3);
    p.setPen(QPen(QColor(0xFF, 0xD0, 0x40), 1.5));
    const QPointF c = badge.center();
    if (type == pages::FRAME_SCROLLER) {
        p.drawLine(QPointF(c.x() + 6, c.y()), QPointF(c.x() - 6, c.y()));
        p.drawLine(QPointF(c.x() - 6, c.y()), QPointF(c.x() - 2, c.y() - 4));
        p.drawLine(QPointF(c.x() - 6, c.y()), QPointF(c.x() - 2, c.y() + 4));
    } else {
        p.drawLine(QPointF(c.x(), c.y() + 5), QPointF(c.x(), c.y() - 5));
        p.drawLine(QPointF(c.x(), c.y() - 5), QPointF(c.x() - 4, c.y() - 1));
        p.drawLine(QPointF(c.x(), c.y() - 5), QPointF(c.x() + 4, c.y() - 1));
    }
}

void paintLockMark(QPainter& p, const QRectF& r) {
    const QRectF body(r.right() - 16, r.top() + 8, 11, 8);
    p.setPen(QPen(kLocked.darker(130), 1));
    p.setBrush(kLocked);
    p.drawRect(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kLocked, 1.5));
    p.drawArc(QRectF(body.left() + 2, body.top() - 5, 7, 9), 0, 180 * 16);
}

}  // namespace

CPageView::CPageView(pages::CPageEditor& editor, QWidget* parent) : QWidget(parent), ed_(editor) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    blink_.setInterval(530);
    connect(&blink_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        update();
    });
    setZoom(100);
    refresh();
}

int CPageView::FitZoom(const QSize& viewport) {
    const double sx = double(viewport.width() - 2 * kMargin) / kPageW;
    const double sy = double(viewport.height() - 2 * kMargin) / kPageH;
    return std::clamp(int(std::min(sx, sy) * 100), 25, 400);
}

void CPageView::setZoom(int percent) {
    percent = std::clamp(percent, 25, 400);
    const bool changed = percent != zoom_;
    zoom_ = percent;
    setMinimumSize(sizeHint());
    updateGeometry();
    update();
    if (changed) emit zoomChanged(zoom_);
}

QSize CPageView::sizeHint() const { return {int(kPageW * scale()) + 2 * kMargin, int(kPageH * scale()) + 2 * kMargin}; }

QRect CPageView::pageRect() const {
    const int w = int(kPageW * scale()), h = int(kPageH * scale());
    return {std::max(kMargin, (width() - w) / 2), std::max(kMargin, (height() - h) / 2), w, h};
}

QPoint CPageView::pageToWidget(int x, int y) const {
    const QRect r = pageRect();
    return {r.left() + int(x * scale()), r.top() + int(y * scale())};
}

QPoint CPageView::widgetToPage(const QPoint& p) const {
    const QRect r = pageRect();
    return {int(std::floor((p.x() - r.left()) / scale())), int(std::floor((p.y() - r.top()) / scale()))};
}

QRectF CPageView::toWidget(const pages::Rect& r) const {
    const QRect pr = pageRect();
    return QRectF(pr.left() + r.left * scale(), pr.top() + r.top * scale(), r.width() * scale(), r.height() * scale());
}

int CPageView::tolerance() const { return std::max(2, int(std::ceil(5 / scale()))); }

void CPageView::refresh() {
    ed_.DrawScreen(screen_);
    update();
}

void CPageView::restartCaret() {
    caretOn_ = true;
    if (hasFocus()) blink_.start();
    update();
}

void CPageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kWorkspace);
    const QRect pr = pageRect();
    if (!screen_.empty()) {
        const QImage image(screen_.bits(), screen_.width(), screen_.height(), screen_.stride(), QImage::Format_RGB32);
        p.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ < 100);
        p.drawImage(pr, image);
    }
    p.setPen(QColor(0x20, 0x22, 0x26));
    p.drawRect(pr.adjusted(-1, -1, 0, 0));
    p.setRenderHint(QPainter::Antialiasing, false);

    const pages::CPageDoc& page = ed_.page();
    for (int i = 0; i < page.frameCount(); ++i) {
        const pages::CPageFrame& f = *page.frame(i);
        const QRectF r = toWidget(f.rect).adjusted(0, 0, -1, -1);
        const bool sel = i == ed_.selected();
        p.setBrush(Qt::NoBrush);
        if (sel) {
            p.setPen(QPen(f.lock ? kLocked : kSelection, 1));
            p.drawRect(r);
        } else {
            // Seen on any page: dark line under a light dashed one.
            p.setPen(QPen(QColor(0, 0, 0, 160), 1));
            p.drawRect(r);
            p.setPen(QPen(QColor(255, 255, 255, 200), 1, Qt::DashLine));
            p.drawRect(r);
        }
        if (f.isMoving()) paintMotionMark(p, r, f.format.type);
        if (f.lock) paintLockMark(p, r);
        if (!f.fits && f.format.type != pages::FRAME_ROLL) {
            // More text than the frame shows.
            QPolygonF tri;
            tri << QPointF(r.right() - 12, r.bottom()) << QPointF(r.right(), r.bottom() - 12) << r.bottomRight();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xE0, 0x30, 0x30));
            p.drawPolygon(tri);
        }
        if (sel && !f.lock && drag_ != Drag::Frame) {
            p.setPen(QPen(kSelection.darker(140), 1));
            p.setBrush(Qt::white);
            const double xs[3] = {r.left(), r.center().x(), r.right()};
            const double ys[3] = {r.top(), r.center().y(), r.bottom()};
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b)
                    if (a != 1 || b != 1)
                        p.drawRect(QRectF(xs[a] - kHandle / 2.0, ys[b] - kHandle / 2.0, kHandle, kHandle));
        }
    }

    if ((drag_ == Drag::Frame || drag_ == Drag::Create) && !tracked_.empty()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 0, 180), 1));
        p.drawRect(toWidget(tracked_).adjusted(0, 0, -1, -1));
        p.setPen(QPen(QColor(0xFF, 0xFF, 0x60), 1, Qt::DashLine));
        p.drawRect(toWidget(tracked_).adjusted(0, 0, -1, -1));
    }

    const pages::CaretBox caret = ed_.Caret();
    if (caret.visible && caretOn_ && hasFocus() && drag_ != Drag::Frame) {
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        const QRectF c(pr.left() + caret.x * scale(), pr.top() + caret.y * scale(), std::max(2.0, scale()),
                       caret.height * scale());
        p.fillRect(c, Qt::white);
    }
}

void CPageView::updateCursor(const QPoint& widgetPos) {
    const QPoint pt = widgetToPage(widgetPos);
    const pages::HitResult h = ed_.HitTest(pt.x(), pt.y(), tolerance());
    Qt::CursorShape shape = Qt::CrossCursor;  // over the empty page a drag makes a frame
    switch (h.hit) {
        case pages::HIT_TEXT: shape = Qt::IBeamCursor; break;
        case pages::HIT_MOVE: {
            const pages::CPageFrame* f = ed_.page().frame(h.frame);
            // Any unlocked frame moves when dragged; a locked one only takes the selection.
            shape = f && f->lock ? Qt::ArrowCursor : Qt::SizeAllCursor;
            break;
        }
        case pages::HIT_TOP_LEFT:
        case pages::HIT_BOTTOM_RIGHT: shape = Qt::SizeFDiagCursor; break;
        case pages::HIT_TOP_RIGHT:
        case pages::HIT_BOTTOM_LEFT: shape = Qt::SizeBDiagCursor; break;
        case pages::HIT_TOP:
        case pages::HIT_BOTTOM: shape = Qt::SizeVerCursor; break;
        case pages::HIT_LEFT:
        case pages::HIT_RIGHT: shape = Qt::SizeHorCursor; break;
        default: break;
    }
    setCursor(shape);
}

void CPageView::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    const QPoint pt = widgetToPage(e->position().toPoint());
    const pages::HitResult hit = ed_.HitTest(pt.x(), pt.y(), tolerance());
    if (e->button() == Qt::RightButton) {
        if (hit.frame >= 0 && hit.frame != ed_.selected()) ed_.Select(hit.frame);
        emit selectionChanged();
        return;
    }
    if (e->button() != Qt::LeftButton) return;
    pressHit_ = hit;
    pressPage_ = pt;
    selectedOnPress_ = hit.frame >= 0 && hit.frame == ed_.selected();
    tracked_ = {};
    if (hit.hit == pages::HIT_NONE) {
        ed_.Select(-1);
        drag_ = Drag::Create;
    } else {
        if (!selectedOnPress_) ed_.Select(hit.frame);
        startRect_ = ed_.page().frame(hit.frame)->rect;
        if (hit.hit == pages::HIT_TEXT) {
            ed_.SetCaret(ed_.PosAt(hit.frame, pt.x(), pt.y()), (e->modifiers() & Qt::ShiftModifier) != 0);
            drag_ = Drag::Text;
        } else if (hit.hit == pages::HIT_MOVE) {
            drag_ = Drag::Pending;
        } else {
            drag_ = Drag::Frame;
            tracked_ = startRect_;
        }
    }
    restartCaret();
    emit selectionChanged();
}

void CPageView::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton) || drag_ == Drag::None) {
        updateCursor(e->position().toPoint());
        return;
    }
    const QPoint pt = widgetToPage(e->position().toPoint());
    const int dx = pt.x() - pressPage_.x(), dy = pt.y() - pressPage_.y();
    if (drag_ == Drag::Pending) {
        if (std::abs(dx) * scale() + std::abs(dy) * scale() < 4) return;
        const pages::CPageFrame* f = ed_.page().frame(pressHit_.frame);
        if (f && !f->lock) {
            drag_ = Drag::Frame;
        } else {
            // A locked frame stays: the drag selects its text instead.
            ed_.SetCaret(ed_.PosAt(pressHit_.frame, pressPage_.x(), pressPage_.y()), false);
            drag_ = Drag::Text;
        }
    }
    switch (drag_) {
        case Drag::Frame: {
            const pages::TrackerHit how = pressHit_.hit == pages::HIT_TEXT ? pages::HIT_MOVE : pressHit_.hit;
            tracked_ = ed_.TrackedRect(pressHit_.frame, pages::CPageEditor::DragRect(startRect_, how, dx, dy));
            update();
            break;
        }
        case Drag::Text:
            ed_.SetCaret(ed_.PosAt(ed_.selected(), pt.x(), pt.y()), true);
            emit selectionChanged();
            break;
        case Drag::Create:
            tracked_ = ed_.TrackedRect(-1, normalized(pressPage_, pt));
            update();
            break;
        default: break;
    }
}

void CPageView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pt = widgetToPage(e->position().toPoint());
    const int dx = pt.x() - pressPage_.x(), dy = pt.y() - pressPage_.y();
    const Drag was = drag_;
    drag_ = Drag::None;
    switch (was) {
        case Drag::Pending:
            // A click on a frame: the caret goes where it was clicked.
            if (pressHit_.frame >= 0) ed_.SetCaret(ed_.PosAt(pressHit_.frame, pressPage_.x(), pressPage_.y()), false);
            break;
        case Drag::Frame: {
            const pages::TrackerHit how = pressHit_.hit == pages::HIT_TEXT ? pages::HIT_MOVE : pressHit_.hit;
            ed_.SetFrameRect(pressHit_.frame, pages::CPageEditor::DragRect(startRect_, how, dx, dy));
            break;
        }
        case Drag::Create: {
            const pages::Rect r = normalized(pressPage_, pt);
            if (r.width() >= pages::CPageEditor::kMinNewFrame && r.height() >= pages::CPageEditor::kMinNewFrame) {
                bool demoted = false;
                ed_.CreateFrame(r, &demoted);
                if (demoted) {
                    app::MessageBoxId(pages::IDS_MOVING_FRAME_EXISTS, app::MB_OK | app::MB_ICONWARNING);
                    emit frameDemoted();
                }
            }
            break;
        }
        default: break;
    }
    tracked_ = {};
    updateCursor(e->position().toPoint());
    restartCaret();
    emit selectionChanged();
}

void CPageView::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPoint pt = widgetToPage(e->position().toPoint());
    const pages::HitResult hit = ed_.HitTest(pt.x(), pt.y(), tolerance());
    if (e->button() != Qt::LeftButton || hit.frame < 0) return;
    if (hit.frame != ed_.selected()) ed_.Select(hit.frame);
    // The word under the pointer.
    const pages::TextPos at = ed_.PosAt(hit.frame, pt.x(), pt.y());
    const std::string text = ed_.selectedFrame()->paragraphs[size_t(at.para)].text();
    int32_t s = at.offset, t = at.offset;
    while (s > 0 && text[size_t(s) - 1] != ' ') --s;
    while (t < int32_t(text.size()) && text[size_t(t)] != ' ') ++t;
    ed_.SetCaret({at.para, s}, false);
    ed_.SetCaret({at.para, t}, true);
    drag_ = Drag::None;
    restartCaret();
    emit selectionChanged();
}

void CPageView::wheelEvent(QWheelEvent* e) {
    const int steps = e->angleDelta().y() / 120;
    if (e->modifiers() & Qt::ControlModifier) {
        if (steps) emit zoomRequested(zoom_ + steps * 25);
        e->accept();
        return;
    }
    const QPoint pt = widgetToPage(e->position().toPoint());
    const pages::CPageFrame* f = ed_.selectedFrame();
    const bool over =
        f && pt.x() >= f->rect.left && pt.x() < f->rect.right && pt.y() >= f->rect.top && pt.y() < f->rect.bottom;
    if (over && steps && (ed_.TextOverflows(ed_.selected()) || f->vScroll > 0 || f->hScroll > 0)) {
        ed_.ScrollText(-steps);
        e->accept();
        return;
    }
    e->ignore();  // the scroll area moves the page
}

bool CPageView::focusNextPrevChild(bool) { return false; }  // Tab goes from frame to frame

void CPageView::typeText(const QString& text) {
    QString clean;
    for (QChar c : text)
        if (c.unicode() >= 32 && c.unicode() != 127) clean += c;
    if (clean.isEmpty()) return;
    ed_.Type(ToProgramText(clean));
}

void CPageView::keyPressEvent(QKeyEvent* e) {
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool alt = e->modifiers() & Qt::AltModifier;
    const int count = ed_.page().frameCount();
    const int key = e->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        if (count) {
            const int step = key == Qt::Key_Backtab || shift ? -1 : 1;
            const int from = ed_.selected() < 0 ? (step > 0 ? -1 : 0) : ed_.selected();
            ed_.Select(((from + step) % count + count) % count);
        }
        emit selectionChanged();
        return;
    }
    if (key == Qt::Key_Escape) {
        if (ed_.textMode) {
            ed_.textMode = false;
            refresh();
        } else {
            ed_.Select(-1);
        }
        emit selectionChanged();
        return;
    }
    if (!ed_.selectedFrame()) {
        QWidget::keyPressEvent(e);
        return;
    }
    // Arrows move the frame itself with Alt, or when its text is not being edited.
    const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (arrow && (alt || (!ed_.textMode && !ctrl))) {
        const int d = shift ? 10 : 2;
        ed_.NudgeSelected(key == Qt::Key_Left    ? -d
                          : key == Qt::Key_Right ? d
                                                 : 0,
                          key == Qt::Key_Up     ? -d
                          : key == Qt::Key_Down ? d
                                                : 0);
        emit selectionChanged();
        return;
    }
    bool handled = true;
    switch (key) {
        case Qt::Key_Left: ed_.MoveCaret(ctrl ? pages::MOVE_WORD_LEFT : pages::MOVE_LEFT, shift); break;
        case Qt::Key_Right: ed_.MoveCaret(ctrl ? pages::MOVE_WORD_RIGHT : pages::MOVE_RIGHT, shift); break;
        case Qt::Key_Up: ed_.MoveCaret(pages::MOVE_UP, shift); break;
        case Qt::Key_Down: ed_.MoveCaret(pages::MOVE_DOWN, shift); break;
        case Qt::Key_Home: ed_.MoveCaret(ctrl ? pages::MOVE_TEXT_START : pages::MOVE_LINE_START, shift); break;
        case Qt::Key_End: ed_.MoveCaret(ctrl ? pages::MOVE_TEXT_END : pages::MOVE_LINE_END, shift); break;
        case Qt::Key_PageUp: ed_.MoveCaret(pages::MOVE_PAGE_UP, shift); break;
        case Qt::Key_PageDown: ed_.MoveCaret(pages::MOVE_PAGE_DOWN, shift); break;
        case Qt::Key_Backspace:
            if (ed_.textMode) ed_.Backspace();
            break;
        case Qt::Key_Delete:
            if (ed_.textMode) ed_.DeleteForward();
            else ed_.DeleteSelectedFrame();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter: ed_.Type("\n"); break;
        default:
            handled = !e->text().isEmpty() && !ctrl && !(alt && !e->text().at(0).isPrint());
            if (handled) typeText(e->text());
            break;
    }
    if (!handled) {
        QWidget::keyPressEvent(e);
        return;
    }
    restartCaret();
    emit selectionChanged();
}

void CPageView::inputMethodEvent(QInputMethodEvent* e) {
    if (ed_.selectedFrame() && !e->commitString().isEmpty()) {
        typeText(e->commitString());
        restartCaret();
        emit selectionChanged();
    }
    e->accept();
}

void CPageView::focusInEvent(QFocusEvent* e) {
    restartCaret();
    QWidget::focusInEvent(e);
}

void CPageView::focusOutEvent(QFocusEvent* e) {
    blink_.stop();
    update();
    QWidget::focusOutEvent(e);
}

void CPageView::contextMenuEvent(QContextMenuEvent* e) { emit contextMenuAt(e->globalPos()); }

}  // namespace ui
