// The program's own pictures: the mode icons of the toolbar and menu, the program icon and
// logo, and the splash picture. Drawn in code so they stay sharp at every toolbar size.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

namespace ui {

// Icon edge in pixels for the toolbar sizes "100%", "200%", "300%" (Start/ToolbarSize 0-2).
int ToolbarIconSize(int toolbarSize);

// The picture of a working mode (app::Mode) at an edge size, for a device pixel ratio.
QPixmap ModeIconPixmap(int mode, int size, qreal dpr = 1.0);
// The icon of a working mode, holding every size the toolbar and the menus use.
QIcon ModeIcon(int mode);

// The program's mark: a rounded screen with a "Z" and the red on-air light.
void PaintLogoMark(QPainter& p, const QRectF& r);
QIcon AppIcon();

// The splash picture (the second edition shows "#2").
QPixmap SplashPixmap(bool is400M, qreal dpr = 1.0);
constexpr int kSplashWidth = 520;
constexpr int kSplashHeight = 320;

}  // namespace ui
