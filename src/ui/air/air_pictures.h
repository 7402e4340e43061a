// Pictures of the air frame, drawn in code: the six transport buttons, the status indicators
// (link off/on/error, a Device status bit, on air) and the Device picture of the air view.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace pages {
class CBitmap32;
}

namespace ui {

// The button of a transport command (air::CMD_PLAY ...).
QIcon TransportIcon(int command);

// Indicator panes: kind 0 is the link (48 × 16; state 0 off, 1 on, 2 error), kind 1 a Device
// status bit (24 × 16; 0/1), kind 2 on air (24 × 16; 0/1).
QPixmap IndicatorPixmap(int kind, int state, qreal dpr = 1.0);
constexpr int kIndicatorHeight = 16;
inline int IndicatorWidth(int kind) { return kind == 0 ? 48 : 24; }

// The Device front beside the preview for the models of status class 2 ("#2" for the second
// edition), size w × h.
QPixmap DevicePixmap(bool is400M, int w, int h, qreal dpr = 1.0);

// A program bitmap (bytes blue, green, red, transparency) as a picture over black, the way the
// Device keys it.
QImage ImageOfBitmap(const pages::CBitmap32& bitmap);

}  // namespace ui
