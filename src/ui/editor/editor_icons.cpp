#include "ui/editor/editor_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace ui {

namespace {

const QColor kInk(0x34, 0x3C, 0x4A);
const QColor kAccent(0x2F, 0x6F, 0xDB);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kRed(0xD3, 0x2F, 0x37);

QPen pen(const QColor& c, double w = 2.0) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void page(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 7, r.top());
    path.lineTo(r.right(), r.top() + 7);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(pen(kInk, 1.6));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 7, r.top()), QPointF(r.right() - 7, r.top() + 7));
    p.drawLine(QPointF(r.right() - 7, r.top() + 7), QPointF(r.right(), r.top() + 7));
}

void lines(QPainter& p, int align, double top, double step, int n, const QColor& c = kInk) {
    p.setPen(pen(c, 2.2));
    for (int i = 0; i < n; ++i) {
        const double len = (i % 2) ? 14 : 22;
        const double y = top + i * step;
        double x = 5;
        if (align == 1) x = 16 - len / 2;
        if (align == 2) x = 27 - len;
        p.drawLine(QPointF(x, y), QPointF(x + len, y));
    }
}

void letterA(QPainter& p, const QRectF& r, const QColor& c) {
    p.setPen(pen(c, 2.6));
    p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.center().x(), r.top()));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.right(), r.bottom()));
    p.drawLine(QPointF(r.left() + r.width() * 0.25, r.top() + r.height() * 0.62),
               QPointF(r.right() - r.width() * 0.25, r.top() + r.height() * 0.62));
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& c) {
    p.setPen(pen(c, 2.4));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double len = std::max(1.0, std::hypot(d.x(), d.y()));
    const QPointF u = d / len, n(-u.y(), u.x());
    p.drawLine(to, to - u * 6 + n * 5);
    p.drawLine(to, to - u * 6 - n * 5);
}

void curvedArrow(QPainter& p, bool redo) {
    p.setPen(pen(kAccent, 2.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    if (!redo) {
        path.moveTo(25, 25);
        path.cubicTo(27, 12, 16, 8, 8, 14);
        p.drawPath(path);
        p.drawLine(QPointF(8, 14), QPointF(8, 6));
        p.drawLine(QPointF(8, 14), QPointF(16, 15));
    } else {
        path.moveTo(7, 25);
        path.cubicTo(5, 12, 16, 8, 24, 14);
        p.drawPath(path);
        p.drawLine(QPointF(24, 14), QPointF(24, 6));
        p.drawLine(QPointF(24, 14), QPointF(16, 15));
    }
}

void frameBox(QPainter& p, const QRectF& r, const QColor& fill, bool dashed = false) {
    QPen pn = pen(kInk, 1.6);
    if (dashed) pn.setStyle(Qt::DashLine);
    p.setPen(pn);
    p.setBrush(fill);
    p.drawRect(r);
}

void paint(QPainter& p, EditorIcon which, const QColor& colour) {
    switch (which) {
        case EditorIcon::New: page(p, QRectF(7, 3, 18, 26)); break;
        case EditorIcon::Open: {
            p.setPen(pen(kInk, 1.6));
            p.setBrush(QColor(0xF2, 0xC1, 0x4E));
            QPainterPath folder;
            folder.moveTo(3, 9);
            folder.lineTo(12, 9);
            folder.lineTo(14, 12);
            folder.lineTo(28, 12);
            folder.lineTo(28, 26);
            folder.lineTo(3, 26);
            folder.closeSubpath();
            p.drawPath(folder);
            break;
        }
        case EditorIcon::Save:
            p.setPen(pen(kInk, 1.6));
            p.setBrush(kAccent);
            p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
            p.setBrush(kPaper);
            p.drawRect(QRectF(9, 4, 14, 9));
            p.drawRect(QRectF(8, 18, 16, 10));
            break;
        case EditorIcon::Undo: curvedArrow(p, false); break;
        case EditorIcon::Redo: curvedArrow(p, true); break;
        case EditorIcon::Cut:
            p.setPen(pen(kInk, 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(5, 20, 8, 8));
            p.drawEllipse(QRectF(19, 20, 8, 8));
            p.drawLine(QPointF(11, 21), QPointF(22, 4));
            p.drawLine(QPointF(21, 21), QPointF(10, 4));
            break;
        case EditorIcon::Copy:
            page(p, QRectF(4, 3, 15, 19));
            page(p, QRectF(12, 10, 15, 19));
            break;
        case EditorIcon::Paste:
            p.setPen(pen(kInk, 1.6));
            p.setBrush(QColor(0xC8, 0x96, 0x5A));
            p.drawRoundedRect(QRectF(5, 5, 20, 24), 2, 2);
            p.setBrush(QColor(0xB0, 0xB6, 0xC0));
            p.drawRect(QRectF(11, 3, 8, 5));
            page(p, QRectF(13, 12, 15, 17));
            break;
        case EditorIcon::Play:
            p.setPen(pen(kRed.darker(130), 1.4));
            p.setBrush(kRed);
            p.drawEllipse(QRectF(3, 3, 26, 26));
            p.setBrush(kPaper);
            p.setPen(Qt::NoPen);
            p.drawPolygon(QPolygonF({QPointF(12, 9), QPointF(23, 16), QPointF(12, 23)}));
            break;
        case EditorIcon::AddStyle:
        case EditorIcon::Styles: {
            p.setPen(pen(kInk, 1.4));
            p.setBrush(QColor(0xE8, 0xEC, 0xF4));
            p.drawRoundedRect(QRectF(3, 5, 22, 22), 3, 3);
            QFont f;
            f.setPixelSize(16);
            f.setBold(true);
            p.setFont(f);
            p.setPen(kAccent);
            p.drawText(QRectF(3, 5, 22, 22), Qt::AlignCenter, "S");
            if (which == EditorIcon::AddStyle) {
                p.setPen(pen(QColor(0x2C, 0x99, 0x4B), 3));
                p.drawLine(QPointF(25, 18), QPointF(25, 30));
                p.drawLine(QPointF(19, 24), QPointF(31, 24));
            }
            break;
        }
        case EditorIcon::Subscript:
        case EditorIcon::Normal:
        case EditorIcon::Superscript: {
            letterA(p, QRectF(3, 8, 16, 18), kInk);
            if (which != EditorIcon::Normal) {
                const double y = which == EditorIcon::Subscript ? 20 : 4;
                p.setPen(pen(kAccent, 2.2));
                p.drawLine(QPointF(21, y), QPointF(29, y));
                p.drawLine(QPointF(21, y + 4), QPointF(29, y + 4));
                p.drawLine(QPointF(21, y + 8), QPointF(29, y + 8));
            }
            break;
        }
        case EditorIcon::TextColour:
            letterA(p, QRectF(7, 3, 18, 19), kInk);
            p.setPen(pen(kInk, 1));
            p.setBrush(colour);
            p.drawRect(QRectF(4, 24, 24, 6));
            break;
        case EditorIcon::AlignLeft: lines(p, 0, 8, 5, 4); break;
        case EditorIcon::AlignCenter: lines(p, 1, 8, 5, 4); break;
        case EditorIcon::AlignRight: lines(p, 2, 8, 5, 4); break;
        case EditorIcon::Paragraph: {
            QFont f;
            f.setPixelSize(24);
            f.setBold(true);
            p.setFont(f);
            p.setPen(kInk);
            p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QString(QChar(0x00B6)));
            break;
        }
        case EditorIcon::Fixed:
            frameBox(p, QRectF(4, 7, 24, 18), QColor(0xE8, 0xEC, 0xF4));
            lines(p, 1, 13, 6, 2);
            break;
        case EditorIcon::Scroller:
            frameBox(p, QRectF(3, 9, 26, 14), QColor(0xE8, 0xEC, 0xF4));
            arrow(p, QPointF(24, 16), QPointF(8, 16), kAccent);
            break;
        case EditorIcon::Roll:
            frameBox(p, QRectF(9, 3, 14, 26), QColor(0xE8, 0xEC, 0xF4));
            arrow(p, QPointF(16, 25), QPointF(16, 8), kAccent);
            break;
        case EditorIcon::VTop:
        case EditorIcon::VCenter:
        case EditorIcon::VBottom: {
            frameBox(p, QRectF(4, 4, 24, 24), QColor(0xF6, 0xF7, 0xFA));
            const double top = which == EditorIcon::VTop ? 9 : which == EditorIcon::VCenter ? 13.5 : 18;
            p.setPen(pen(kAccent, 2.4));
            p.drawLine(QPointF(9, top), QPointF(23, top));
            p.drawLine(QPointF(11, top + 5), QPointF(21, top + 5));
            break;
        }
        case EditorIcon::FrameColour:
            frameBox(p, QRectF(4, 4, 24, 20), colour);
            p.setPen(pen(kInk, 1));
            p.setBrush(colour);
            p.drawRect(QRectF(4, 26, 24, 4));
            break;
        case EditorIcon::FrameFormat:
            frameBox(p, QRectF(5, 5, 22, 22), QColor(0xE8, 0xEC, 0xF4), true);
            p.setPen(pen(kInk, 1));
            p.setBrush(kPaper);
            for (QPointF c : {QPointF(5, 5), QPointF(27, 5), QPointF(27, 27), QPointF(5, 27)})
                p.drawRect(QRectF(c.x() - 2.5, c.y() - 2.5, 5, 5));
            break;
        case EditorIcon::Front:
            frameBox(p, QRectF(3, 3, 16, 16), QColor(0xC8, 0xCE, 0xD8));
            frameBox(p, QRectF(12, 12, 17, 17), kAccent);
            break;
        case EditorIcon::Back:
            frameBox(p, QRectF(12, 12, 17, 17), kAccent);
            frameBox(p, QRectF(3, 3, 16, 16), QColor(0xC8, 0xCE, 0xD8));
            break;
        case EditorIcon::Lock:
            p.setPen(pen(kInk, 2.4));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(10, 4, 12, 16), 0, 180 * 16);
            p.drawLine(QPointF(10, 12), QPointF(10, 15));
            p.drawLine(QPointF(22, 12), QPointF(22, 15));
            p.setPen(pen(kInk, 1.4));
            p.setBrush(QColor(0xF2, 0xC1, 0x4E));
            p.drawRoundedRect(QRectF(6, 14, 20, 15), 2, 2);
            break;
        case EditorIcon::DeleteFrame:
            frameBox(p, QRectF(4, 4, 20, 20), QColor(0xE8, 0xEC, 0xF4), true);
            p.setPen(pen(kRed, 3));
            p.drawLine(QPointF(17, 17), QPointF(28, 28));
            p.drawLine(QPointF(28, 17), QPointF(17, 28));
            break;
        case EditorIcon::PageColour:
            p.setPen(pen(kInk, 1.4));
            p.setBrush(colour);
            p.drawRect(QRectF(3, 6, 26, 20));
            p.setBrush(QColor(0xE8, 0xEC, 0xF4));
            p.drawRect(QRectF(9, 11, 14, 10));
            break;
        case EditorIcon::Background:
        case EditorIcon::Picture: {
            p.setPen(pen(kInk, 1.4));
            p.setBrush(QColor(0xBF, 0xDD, 0xF7));
            p.drawRect(QRectF(3, 6, 26, 20));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x2C, 0x99, 0x4B));
            p.drawPolygon(
                QPolygonF({QPointF(4, 25), QPointF(13, 14), QPointF(20, 21), QPointF(23, 18), QPointF(28, 25)}));
            p.setBrush(QColor(0xF2, 0xC1, 0x4E));
            p.drawEllipse(QRectF(20, 9, 5, 5));
            if (which == EditorIcon::Background) {
                p.setPen(pen(kInk, 1));
                p.setBrush(Qt::NoBrush);
                for (int x = 11; x < 29; x += 8) p.drawLine(QPointF(x, 6), QPointF(x, 26));
            }
            break;
        }
        case EditorIcon::Reference: {
            // Tiles of a picture seen through the page.
            p.setPen(pen(kInk, 1.2));
            for (int ty = 0; ty < 2; ++ty)
                for (int tx = 0; tx < 2; ++tx) {
                    p.setBrush((tx + ty) % 2 ? QColor(0x9F, 0xC8, 0xEE) : QColor(0xD8, 0xE8, 0xF8));
                    p.drawRect(QRectF(4 + tx * 12, 5 + ty * 11, 12, 11));
                }
            p.setPen(pen(kAccent, 2));
            p.setBrush(kPaper);
            p.drawEllipse(QRectF(11, 12, 10, 8));
            p.setBrush(kInk);
            p.drawEllipse(QRectF(14.5, 14.5, 3, 3));
            break;
        }
        case EditorIcon::Text:
            page(p, QRectF(6, 3, 20, 26));
            lines(p, 0, 12, 4, 4, QColor(0x80, 0x88, 0x94));
            break;
        case EditorIcon::ZoomIn:
        case EditorIcon::ZoomOut:
            p.setPen(pen(kInk, 2.2));
            p.setBrush(kPaper);
            p.drawEllipse(QRectF(4, 4, 17, 17));
            p.drawLine(QPointF(19, 19), QPointF(28, 28));
            p.drawLine(QPointF(8.5, 12.5), QPointF(16.5, 12.5));
            if (which == EditorIcon::ZoomIn) p.drawLine(QPointF(12.5, 8.5), QPointF(12.5, 16.5));
            break;
    }
}

QPixmap render(EditorIcon which, const QColor& colour, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    paint(p, which, colour);
    return pm;
}

}  // namespace

QIcon MakeEditorIcon(EditorIcon which) { return MakeColourIcon(which, QColor(0x80, 0x80, 0x80)); }

QIcon MakeColourIcon(EditorIcon which, const QColor& colour) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(render(which, colour, size));
    return icon;
}

}  // namespace ui
