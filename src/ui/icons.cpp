// zentrix_icons OUT_DIR: the program's icon at the desktop's sizes, drawn by the same code as the
// window icon, as OUT_DIR/hicolor/<n>x<n>/apps/zentrix.png for the install. Runs at build time with
// no display: the mark is paths and gradients only, which need no platform plugin.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

#include "ui/mainframe/artwork.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zentrix_icons OUT_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int s : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage im(s, s, QImage::Format_ARGB32_Premultiplied);
        im.fill(Qt::transparent);
        QPainter p(&im);
        p.setRenderHint(QPainter::Antialiasing);
        ui::PaintLogoMark(p, QRectF(0, 0, s, s));
        p.end();
        const QString dir = QString("%1/hicolor/%2x%2/apps").arg(out).arg(s);
        if (!QDir().mkpath(dir) || !im.save(dir + "/zentrix.png")) {
            std::fprintf(stderr, "zentrix_icons: cannot write %s\n", qPrintable(dir + "/zentrix.png"));
            return 1;
        }
    }
    return 0;
}
