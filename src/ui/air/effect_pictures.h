// Pictures of the 19 transition effects: a small frame showing the old page (grey) and the new
// page (blue) half-way through the effect, with arrows for the direction of motion. Used by the
// effect dialog's lists and by the sequence editor's "Transition effect" column.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace ui {

QPixmap EffectPicture(int type, QSize size);
QIcon EffectIcon(int type, QSize size = QSize(40, 32));
// A short description for tooltips ("Wipe from the left", ...).
QString EffectName(int type);

}  // namespace ui
