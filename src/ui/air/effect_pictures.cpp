#include "ui/air/effect_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

#include "air/effects.h"
#include "ui/resources.h"

namespace ui {

namespace {
constexpr int IDS_EFFECT_NAME_FIRST = 33931;  // the effects by type
}  // namespace

namespace {

const QColor kOld(0xC8, 0xC8, 0xC8);
const QColor kOldLines(0xA0, 0xA0, 0xA0);
const QColor kNew(0x2F, 0x6F, 0xD0);
const QColor kNewLines(0x7F, 0xAA, 0xEA);
const QColor kFrame(0x30, 0x30, 0x30);
const QColor kArrow(0xFF, 0xD0, 0x20);
const QColor kArrowEdge(0x20, 0x20, 0x20);

// A byte of the catalogue's parameter word names a rectangle by its edges, two bits each (from
// the low bits: right, bottom, left, top); 0 is the near side, 1 the centre, 2 the far side.
// The low byte is where the new page starts growing from; with base 0x0100 the high byte is
// where the old page shrinks to.
QRectF edgesOf(uint8_t b) {
    auto pos = [](int v) { return v == 1 ? 0.5 : v >= 2 ? 1.0 : 0.0; };
    double right = pos(b & 3), bottom = pos((b >> 2) & 3), left = pos((b >> 4) & 3), top = pos((b >> 6) & 3);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QRectF mix(const QRectF& a, const QRectF& b, double t) {
    auto l = [t](double x, double y) { return x + (y - x) * t; };
    return QRectF(QPointF(l(a.left(), b.left()), l(a.top(), b.top())),
                  QPointF(l(a.right(), b.right()), l(a.bottom(), b.bottom())));
}

// A page: its colour and a few text lines, so that a moving page reads as a page.
void drawPage(QPainter& p, const QRectF& r, const QRectF& frame, const QColor& fill, const QColor& lines) {
    if (r.width() <= 0.5 || r.height() <= 0.5) return;
    p.save();
    p.setClipRect(r);
    p.fillRect(r, fill);
    p.setPen(Qt::NoPen);
    p.setBrush(lines);
    double h = frame.height();
    for (int i = 0; i < 3; ++i) {
        QRectF line(frame.left() + frame.width() * 0.15, frame.top() + h * (0.25 + 0.22 * i),
                    frame.width() * (i == 1 ? 0.55 : 0.7), std::max(1.0, h * 0.08));
        p.drawRect(line);
    }
    p.restore();
}

void drawArrow(QPainter& p, QPointF from, QPointF to, double size) {
    QPointF d = to - from;
    double len = std::hypot(d.x(), d.y());
    if (len < 0.5) return;
    QPointF u = d / len, n(-u.y(), u.x());
    double head = std::min(len * 0.6, size * 0.55), half = size * 0.32, shaft = size * 0.12;
    QPointF base = to - u * head;
    QPolygonF poly;
    poly << from + n * shaft << base + n * shaft << base + n * half << to << base - n * half << base - n * shaft
         << from - n * shaft;
    p.setPen(QPen(kArrowEdge, std::max(0.6, size * 0.06)));
    p.setBrush(kArrow);
    p.drawPolygon(poly);
}

}  // namespace

QPixmap EffectPicture(int type, QSize size) {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    auto toFrame = [&](const QRectF& u) {
        return QRectF(frame.left() + u.left() * frame.width(), frame.top() + u.top() * frame.height(),
                      u.width() * frame.width(), u.height() * frame.height());
    };
    const double arrow = std::min(frame.width(), frame.height()) * 0.42;

    if (type < 0 || type >= air::kEffectTypes || type == 0) {
        // The switch (or fade): the old page turning into the new one.
        QLinearGradient g(frame.topLeft(), frame.topRight());
        g.setColorAt(0.3, kOld);
        g.setColorAt(0.7, kNew);
        p.fillRect(frame, g);
    } else {
        const air::EffectInfo& e = air::kEffectCatalogue[type];
        const QRectF whole(0, 0, 1, 1);
        const bool shrinking = e.base & 0x0100;
        // The page that moves, where it starts or ends, and half-way.
        QRectF target = shrinking ? edgesOf(uint8_t(e.param >> 8)) : edgesOf(uint8_t(e.param));
        QRectF half = mix(whole, target, 0.5);
        if (shrinking) {
            drawPage(p, frame, frame, kNew, kNewLines);
            drawPage(p, toFrame(half), frame, kOld, kOldLines);
        } else {
            drawPage(p, frame, frame, kOld, kOldLines);
            drawPage(p, toFrame(half), frame, kNew, kNewLines);
        }
        // Which edges move, and which way (outwards while growing, inwards while shrinking).
        const double sgn = shrinking ? 1.0 : -1.0;
        double dl = target.left() - 0.0, dr = target.right() - 1.0, dt = target.top() - 0.0, db = target.bottom() - 1.0;
        bool ml = dl != 0, mr = dr != 0, mt = dt != 0, mb = db != 0;
        QRectF h = toFrame(half);
        double step = arrow * 0.9;
        int horizontal = int(ml) + int(mr), vertical = int(mt) + int(mb);
        if (horizontal == 1 && vertical == 1) {
            // A corner: one diagonal arrow at the moving corner.
            QPointF c(mr ? h.right() : h.left(), mb ? h.bottom() : h.top());
            QPointF dir(mr ? -sgn : sgn, mb ? -sgn : sgn);
            dir /= std::sqrt(2.0);
            drawArrow(p, c - dir * step * 0.6, c + dir * step * 0.6, arrow);
        } else {
            auto edgeArrow = [&](QPointF at, QPointF dir) {
                drawArrow(p, at - dir * step * 0.5, at + dir * step * 0.5, arrow);
            };
            double cy = h.center().y(), cx = h.center().x();
            if (horizontal == 2 && vertical == 2) {
                // Box: smaller arrows on every side.
                step *= 0.7;
            }
            if (ml) edgeArrow(QPointF(h.left(), cy), QPointF(sgn, 0));
            if (mr) edgeArrow(QPointF(h.right(), cy), QPointF(-sgn, 0));
            if (mt) edgeArrow(QPointF(cx, h.top()), QPointF(0, sgn));
            if (mb) edgeArrow(QPointF(cx, h.bottom()), QPointF(0, -sgn));
        }
    }
    p.setPen(QPen(kFrame, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    return pm;
}

QIcon EffectIcon(int type, QSize size) { return QIcon(EffectPicture(type, size)); }

QString EffectName(int type) {
    if (type < 0 || type >= air::kEffectTypes) return QString();
    return StrLine(IDS_EFFECT_NAME_FIRST + type);
}

}  // namespace ui
