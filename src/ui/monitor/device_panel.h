// The Device's own panel, for the embedded virtual Device: its Play, Pause and Stop keys, the
// item keys 1-10 and its display (the program's last reply). Pressing a key is what pressing it
// on the unit does: the Device asks the program (in Automation mode the bound block is cued,
// and Play plays it). Shown under the program monitor's picture.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;

namespace ui {

class CDevicePanel : public QWidget {
    Q_OBJECT
public:
    // The Device's request codes of the keys.
    enum : int { KEY_PLAY = 1, KEY_PAUSE = 2, KEY_STOP = 3 };
    // The code item key n (1-10) sends: 8..15 for 1-8, 6 and 7 for 9 and 10.
    static int ItemCode(int n) { return n <= 8 ? n + 7 : n - 3; }

    // press: presses a key (its code), false with the reason; display: what the Device's display
    // shows, -1 when the Device is not there.
    CDevicePanel(std::function<bool(int, std::string&)> press, std::function<int()> display, QWidget* parent = nullptr);

    // Reads the display again (a timer calls it).
    void Refresh();
    QPushButton* key(int code) const;
    QLabel* display() const { return display_; }

private:
    QPushButton* addKey(const QString& text, int code);

    std::function<bool(int, std::string&)> press_;
    std::function<int()> read_;
    QLabel* display_ = nullptr;
    QTimer* timer_ = nullptr;
    std::vector<QPushButton*> keys_;
};

}  // namespace ui
