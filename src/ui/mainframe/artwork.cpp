#include "ui/mainframe/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "app/mode_manager.h"
#include "ui/resources.h"

#ifndef ZX_VERSION
#define ZX_VERSION ""
#endif

namespace ui {

namespace {
// The splash shows before the translation is read: these stay in English.
enum : int { IDS_SPLASH_VERSION = 33607, IDS_SPLASH_TAGLINE = 33608, IDS_SPLASH_STARTING = 33609 };
}  // namespace

namespace {

// Each mode has a colour of its own, so the operator finds it at a glance.
QColor modeColour(int mode) {
    switch (mode) {
        case app::MODE_PAGE_EDITOR: return QColor(0x2F, 0x6F, 0xDB);
        case app::MODE_SEQUENCE_EDITOR: return QColor(0x17, 0x93, 0x86);
        case app::MODE_LIVE: return QColor(0xD3, 0x2F, 0x37);
        case app::MODE_AUTOMATION: return QColor(0xDB, 0x7D, 0x12);
        case app::MODE_INTERACTIVE: return QColor(0x7B, 0x48, 0xC8);
        case app::MODE_CAPTIONS: return QColor(0x46, 0x64, 0x80);
        case app::MODE_SMS_CHAT: return QColor(0x2C, 0x99, 0x4B);
        default: return QColor(0x60, 0x60, 0x60);
    }
}

void paintTile(QPainter& p, const QColor& c) {
    QLinearGradient g(0, 4, 0, 60);
    g.setColorAt(0, c.lighter(128));
    g.setColorAt(1, c.darker(112));
    p.setPen(QPen(c.darker(150), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
    // A soft highlight along the top edge.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRoundedRect(QRectF(7, 6, 50, 22), 9, 9);
}

void paintGlyph(QPainter& p, int mode, const QColor& tile) {
    const QColor white(255, 255, 255);
    QPen stroke(white, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (mode) {
        case app::MODE_PAGE_EDITOR: {
            // A page with a folded corner and a letter on it.
            QPainterPath page;
            page.moveTo(17, 11);
            page.lineTo(38, 11);
            page.lineTo(47, 20);
            page.lineTo(47, 53);
            page.lineTo(17, 53);
            page.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(white);
            p.drawPath(page);
            p.setBrush(tile.lighter(150));
            QPainterPath fold;
            fold.moveTo(38, 11);
            fold.lineTo(38, 20);
            fold.lineTo(47, 20);
            fold.closeSubpath();
            p.drawPath(fold);
            p.setBrush(tile.darker(110));
            p.drawRect(QRectF(22, 25, 20, 5));
            p.drawRect(QRectF(29.5, 25, 5, 21));
            break;
        }
        case app::MODE_SEQUENCE_EDITOR: {
            // A list of pages, each with its thumbnail.
            p.setPen(Qt::NoPen);
            for (int i = 0; i < 3; ++i) {
                qreal y = 14 + i * 13;
                p.setBrush(white);
                p.drawRoundedRect(QRectF(12, y, 13, 10), 2, 2);
                p.setBrush(QColor(255, 255, 255, i == 0 ? 255 : 200));
                p.drawRoundedRect(QRectF(29, y + 2.5, 23, 5), 2.5, 2.5);
            }
            break;
        }
        case app::MODE_LIVE: {
            // The on-air light and its waves.
            p.setPen(Qt::NoPen);
            p.setBrush(white);
            p.drawEllipse(QPointF(32, 32), 7, 7);
            p.setPen(stroke);
            p.setBrush(Qt::NoBrush);
            for (int r : {15, 23}) {
                QRectF box(32 - r, 32 - r, 2 * r, 2 * r);
                p.drawArc(box, -40 * 16, 80 * 16);
                p.drawArc(box, 140 * 16, 80 * 16);
            }
            break;
        }
        case app::MODE_AUTOMATION: {
            // A clock that runs the schedule.
            p.setPen(stroke);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(32, 32), 19, 19);
            p.drawLine(QPointF(32, 32), QPointF(32, 20));
            p.drawLine(QPointF(32, 32), QPointF(41, 37));
            p.setPen(Qt::NoPen);
            p.setBrush(white);
            for (int i = 0; i < 4; ++i) {
                static const QPointF ticks[4] = {{32, 16.5}, {47.5, 32}, {32, 47.5}, {16.5, 32}};
                p.drawEllipse(ticks[i], 1.8, 1.8);
            }
            break;
        }
        case app::MODE_INTERACTIVE: {
            // Votes counted as bars.
            p.setPen(Qt::NoPen);
            p.setBrush(white);
            p.drawRoundedRect(QRectF(14, 32, 9, 18), 2, 2);
            p.drawRoundedRect(QRectF(27.5, 16, 9, 34), 2, 2);
            p.drawRoundedRect(QRectF(41, 25, 9, 25), 2, 2);
            p.drawRect(QRectF(11, 50, 42, 3));
            break;
        }
        case app::MODE_CAPTIONS: {
            // A screen with two lines of text at its foot.
            p.setPen(QPen(white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(11, 14, 42, 30), 4, 4);
            p.setPen(Qt::NoPen);
            p.setBrush(white);
            p.drawRoundedRect(QRectF(18, 30, 28, 4), 2, 2);
            p.drawRoundedRect(QRectF(22, 36.5, 20, 3.5), 1.75, 1.75);
            p.drawRect(QRectF(29, 44, 6, 5));
            p.drawRoundedRect(QRectF(21, 49, 22, 3.5), 1.75, 1.75);
            break;
        }
        case app::MODE_SMS_CHAT: {
            // A speech bubble.
            QPainterPath bubble;
            bubble.addRoundedRect(QRectF(10, 13, 44, 29), 9, 9);
            QPainterPath tail;
            tail.moveTo(18, 38);
            tail.lineTo(15, 52);
            tail.lineTo(31, 40);
            tail.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(white);
            p.drawPath(bubble.united(tail));
            p.setBrush(tile.darker(110));
            for (int x : {22, 32, 42}) p.drawEllipse(QPointF(x, 27.5), 3.2, 3.2);
            break;
        }
        default: break;
    }
}

}  // namespace

int ToolbarIconSize(int toolbarSize) {
    switch (toolbarSize) {
        case 1: return 48;
        case 2: return 72;
        default: return 24;
    }
}

QPixmap ModeIconPixmap(int mode, int size, qreal dpr) {
    QPixmap pm(int(size * dpr + 0.5), int(size * dpr + 0.5));
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size * dpr / 64.0, size * dpr / 64.0);
    QColor c = modeColour(mode);
    paintTile(p, c);
    paintGlyph(p, mode, c);
    p.end();
    pm.setDevicePixelRatio(dpr);
    return pm;
}

QIcon ModeIcon(int mode) {
    QIcon icon;
    for (int s : {16, 24, 32, 48, 72}) icon.addPixmap(ModeIconPixmap(mode, s));
    return icon;
}

void PaintLogoMark(QPainter& p, const QRectF& r) {
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 64.0, r.height() / 64.0);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 4, 64, 60);
    g.setColorAt(0, QColor(0x2B, 0x5C, 0xE6));
    g.setColorAt(1, QColor(0x6A, 0x2F, 0xC4));
    p.setPen(QPen(QColor(0x16, 0x1E, 0x4A), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 13, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 36));
    p.drawRoundedRect(QRectF(7, 6, 50, 22), 10, 10);
    // The "Z", drawn as a lower-third bar would be keyed over a picture.
    QPainterPath z;
    z.moveTo(17, 17);
    z.lineTo(45, 17);
    z.lineTo(45, 23);
    z.lineTo(27, 42);
    z.lineTo(46, 42);
    z.lineTo(46, 48);
    z.lineTo(17, 48);
    z.lineTo(17, 42);
    z.lineTo(35, 23);
    z.lineTo(17, 23);
    z.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(z);
    // The on-air light.
    QRadialGradient light(QPointF(50, 14), 6);
    light.setColorAt(0, QColor(0xFF, 0x8A, 0x80));
    light.setColorAt(1, QColor(0xE0, 0x22, 0x2C));
    p.setBrush(light);
    p.setPen(QPen(QColor(0x7A, 0x10, 0x18), 1));
    p.drawEllipse(QPointF(50, 14), 5, 5);
    p.restore();
}

QIcon AppIcon() {
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128}) {
        QPixmap pm(s, s);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        PaintLogoMark(p, QRectF(0, 0, s, s));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QPixmap SplashPixmap(bool is400M, qreal dpr) {
    const int w = kSplashWidth, h = kSplashHeight;
    QPixmap pm(int(w * dpr), int(h * dpr));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(dpr, dpr);

    QLinearGradient bg(0, 0, w, h);
    bg.setColorAt(0, QColor(0x0C, 0x16, 0x30));
    bg.setColorAt(1, QColor(0x25, 0x12, 0x52));
    p.fillRect(QRectF(0, 0, w, h), bg);

    // A monitor on the right with a title keyed over its picture.
    QRectF screen(300, 46, 190, 118);
    QLinearGradient pic(screen.topLeft(), screen.bottomRight());
    pic.setColorAt(0, QColor(0x2A, 0x4A, 0x7A));
    pic.setColorAt(1, QColor(0x12, 0x25, 0x45));
    p.setPen(QPen(QColor(0x6C, 0x7F, 0xB8), 2));
    p.setBrush(pic);
    p.drawRoundedRect(screen, 6, 6);
    p.save();
    QPainterPath inside;
    inside.addRoundedRect(screen.adjusted(1, 1, -1, -1), 5, 5);
    p.setClipPath(inside);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 22));
    for (int i = 0; i < 3; ++i)  // hills of the picture behind the title
        p.drawEllipse(QPointF(screen.left() + 40 + i * 60, screen.bottom() + 10 - i * 6), 55, 40);
    p.restore();
    p.setPen(Qt::NoPen);
    QRectF bar(screen.left() + 14, screen.bottom() - 38, 150, 22);
    p.setBrush(QColor(0xE0, 0x22, 0x2C));
    p.drawRect(QRectF(bar.left(), bar.top(), 8, bar.height()));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRect(QRectF(bar.left() + 8, bar.top(), bar.width() - 8, bar.height()));
    p.setBrush(QColor(0x1C, 0x2A, 0x50));
    p.drawRect(QRectF(bar.left() + 16, bar.top() + 6, 80, 4));
    p.drawRect(QRectF(bar.left() + 16, bar.top() + 13, 52, 3));
    p.setBrush(QColor(0xE0, 0x22, 0x2C));
    p.drawEllipse(QPointF(screen.right() - 14, screen.top() + 13), 4.5, 4.5);
    p.setPen(QPen(QColor(0x6C, 0x7F, 0xB8), 2));
    p.drawLine(QPointF(screen.center().x() - 22, screen.bottom() + 12),
               QPointF(screen.center().x() + 22, screen.bottom() + 12));
    p.drawLine(QPointF(screen.center().x(), screen.bottom() + 1), QPointF(screen.center().x(), screen.bottom() + 12));

    // The mark and the name.
    PaintLogoMark(p, QRectF(30, 44, 72, 72));
    QFont name("DejaVu Sans", 30, QFont::Bold);
    name.setPixelSize(40);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(name);
    p.setPen(Qt::white);
    p.drawText(QRectF(30, 128, 270, 52), Qt::AlignLeft | Qt::AlignVCenter, "ZENTRIX");
    QFont tag("DejaVu Sans");
    tag.setPixelSize(14);
    p.setFont(tag);
    p.setPen(QColor(0xB8, 0xC4, 0xE6));
    p.drawText(QRectF(32, 180, 270, 22), Qt::AlignLeft | Qt::AlignVCenter, StrLine(IDS_SPLASH_TAGLINE));

    // Foot: a red rule, the version and the edition.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE0, 0x22, 0x2C));
    p.drawRect(QRectF(30, 236, 460, 2));
    QFont small("DejaVu Sans");
    small.setPixelSize(12);
    p.setFont(small);
    p.setPen(QColor(0x9C, 0xA8, 0xCC));
    p.drawText(QRectF(30, 246, 300, 20), Qt::AlignLeft | Qt::AlignVCenter, StrFmt(IDS_SPLASH_VERSION, {ZX_VERSION}));
    if (is400M) {
        QFont ed("DejaVu Sans", 12, QFont::Bold);
        ed.setPixelSize(18);
        p.setFont(ed);
        p.setPen(Qt::white);
        p.drawText(QRectF(330, 244, 160, 24), Qt::AlignRight | Qt::AlignVCenter, "#2");
    }
    p.setFont(small);
    p.setPen(QColor(0x77, 0x84, 0xAE));
    p.drawText(QRectF(30, 282, 460, 20), Qt::AlignLeft | Qt::AlignVCenter, StrLine(IDS_SPLASH_STARTING));
    p.end();
    pm.setDevicePixelRatio(dpr);
    return pm;
}

}  // namespace ui
