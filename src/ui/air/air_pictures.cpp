#include "ui/air/air_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "air/hotkeys.h"
#include "pages/bitmap32.h"

namespace ui {

namespace {

QPixmap canvas(int w, int h, qreal dpr) {
    QPixmap pm(int(w * dpr), int(h * dpr));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

void drawTransport(QPainter& p, int command, int s, bool enabled) {
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = enabled ? QColor(0x2A, 0x30, 0x3A) : QColor(0xA8, 0xAC, 0xB4);
    const QColor accent = !enabled                     ? QColor(0xB8, 0xBC, 0xC4)
                          : command == air::CMD_PLAY   ? QColor(0x1E, 0x9E, 0x4A)
                          : command == air::CMD_STOP   ? QColor(0xD0, 0x2A, 0x2A)
                          : command == air::CMD_EFFECT ? QColor(0xE0, 0x9A, 0x10)
                                                       : QColor(0x2F, 0x6F, 0xC8);
    const qreal u = s / 16.0;
    p.setPen(Qt::NoPen);
    auto tri = [&](qreal x, qreal dir) {  // a triangle pointing right (dir 1) or left (-1)
        QPolygonF t;
        t << QPointF(x, 3 * u) << QPointF(x + dir * 7 * u, 8 * u) << QPointF(x, 13 * u);
        p.drawPolygon(t);
    };
    switch (command) {
        case air::CMD_PLAY:
            p.setBrush(accent);
            tri(4.5 * u, 1);
            break;
        case air::CMD_PAUSE:
            p.setBrush(accent);
            p.drawRoundedRect(QRectF(4 * u, 3 * u, 3 * u, 10 * u), u, u);
            p.drawRoundedRect(QRectF(9 * u, 3 * u, 3 * u, 10 * u), u, u);
            break;
        case air::CMD_NEXT:
            p.setBrush(accent);
            tri(3.5 * u, 1);
            p.setBrush(ink);
            p.drawRect(QRectF(11 * u, 3 * u, 2 * u, 10 * u));
            break;
        case air::CMD_PREVIOUS:
            p.setBrush(ink);
            p.drawRect(QRectF(3 * u, 3 * u, 2 * u, 10 * u));
            p.setBrush(accent);
            tri(12.5 * u, -1);
            break;
        case air::CMD_STOP:
            p.setBrush(accent);
            p.drawRoundedRect(QRectF(3.5 * u, 3.5 * u, 9 * u, 9 * u), 1.2 * u, 1.2 * u);
            break;
        case air::CMD_EFFECT: {
            // A page sliding over another: the transition.
            p.setBrush(QColor(0xD8, 0xDC, 0xE4));
            p.setPen(QPen(ink, u));
            p.drawRect(QRectF(2 * u, 4 * u, 8 * u, 8 * u));
            p.setBrush(accent);
            p.drawRect(QRectF(6 * u, 2.5 * u, 8 * u, 8 * u));
            p.setPen(QPen(ink, 1.2 * u, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(1.5 * u, 14 * u), QPointF(6 * u, 14 * u));
            p.drawLine(QPointF(4.5 * u, 12.5 * u), QPointF(6 * u, 14 * u));
            break;
        }
        default: break;
    }
}

QPixmap transportPixmap(int command, int size, bool enabled) {
    QPixmap pm = canvas(size, size, 1.0);
    QPainter p(&pm);
    drawTransport(p, command, size, enabled);
    return pm;
}

}  // namespace

QIcon TransportIcon(int command) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        icon.addPixmap(transportPixmap(command, size, true), QIcon::Normal);
        icon.addPixmap(transportPixmap(command, size, false), QIcon::Disabled);
    }
    return icon;
}

QPixmap IndicatorPixmap(int kind, int state, qreal dpr) {
    const int w = IndicatorWidth(kind), h = kIndicatorHeight;
    QPixmap pm = canvas(w, h, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A lamp: dark when off; green (link on, status bit), red (on air, link error) when lit.
    QColor lamp(0x55, 0x5A, 0x62);
    if (kind == 0 && state == 1) lamp = QColor(0x2B, 0xC2, 0x4E);
    if (kind == 0 && state == 2) lamp = QColor(0xE0, 0x2E, 0x2E);
    if (kind == 1 && state) lamp = QColor(0xF2, 0xB7, 0x1A);
    if (kind == 2 && state) lamp = QColor(0xF0, 0x24, 0x24);
    const QRectF dot(3, 3, h - 6, h - 6);
    QRadialGradient g(dot.center() - QPointF(1.5, 1.5), dot.width());
    g.setColorAt(0, lamp.lighter(170));
    g.setColorAt(1, lamp);
    p.setBrush(g);
    p.setPen(QPen(QColor(0x30, 0x33, 0x38), 0.8));
    p.drawEllipse(dot);
    // Beside the lamp its mark: the link's plug, the bit's number, the on-air "A".
    QFont f;
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kind == 0 && state == 2 ? QColor(0xC0, 0x20, 0x20) : QColor(0x40, 0x44, 0x4C));
    const QRectF text(h - 1, 0, w - h + 1, h);
    if (kind == 0) {
        p.drawText(text, Qt::AlignCenter, state == 2 ? QStringLiteral("ERR") : QStringLiteral("KTG"));
    } else {
        p.drawText(text, Qt::AlignCenter, kind == 1 ? QStringLiteral("S") : QStringLiteral("A"));
    }
    return pm;
}

QPixmap DevicePixmap(bool is400M, int w, int h, qreal dpr) {
    QPixmap pm = canvas(w, h, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(2, h * 0.3, w - 4, h * 0.4);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, QColor(0x4A, 0x50, 0x5A));
    g.setColorAt(1, QColor(0x1E, 0x22, 0x28));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x12, 0x14, 0x18), 1));
    p.drawRoundedRect(body, 4, 4);
    // Front: the keys and the on-air lamp.
    for (int i = 0; i < 4; ++i) {
        p.setBrush(QColor(0xC8, 0xCC, 0xD4));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(body.left() + 10 + i * 16, body.bottom() - 16, 11, 7), 2, 2);
    }
    p.setBrush(QColor(0xF0, 0x24, 0x24));
    p.drawEllipse(QPointF(body.right() - 12, body.top() + 12), 4, 4);
    QFont f;
    f.setPixelSize(int(std::max(10.0, body.height() * 0.28)));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0xE8, 0xEA, 0xEE));
    p.drawText(QRectF(body.left() + 10, body.top() + 4, body.width() - 30, body.height() * 0.5),
               Qt::AlignLeft | Qt::AlignVCenter, is400M ? QStringLiteral("KTG #2") : QStringLiteral("KTG"));
    return pm;
}

QImage ImageOfBitmap(const pages::CBitmap32& bitmap) {
    const int w = bitmap.width(), h = bitmap.height();
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = bitmap.pixel(0, y);
        auto* d = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x, s += 4) {
            const int a = 255 - s[pages::PIX_TRANS];
            d[x] = qRgb(s[pages::PIX_RED] * a / 255, s[pages::PIX_GREEN] * a / 255, s[pages::PIX_BLUE] * a / 255);
        }
    }
    return img;
}

}  // namespace ui
