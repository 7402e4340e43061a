// Settings > Remote control...: whether the control interface listens, where, and the token its
// clients must give. OK checks the settings as the server would, writes [Control] and restarts
// the remote control at once, telling the operator when it cannot listen.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class Profile;
}

namespace ui {

class CControlLink;

class CControlDialog final : public QDialog {
public:
    CControlDialog(app::Profile& ini, CControlLink& link, QWidget* parent = nullptr);

    void accept() override;

    // A new random token: 32 hexadecimal digits from the system's random source.
    static QString NewToken();

private:
    void update();
    QString panelUrl() const;

    app::Profile& ini_;
    CControlLink& link_;
    QCheckBox* enabled_ = nullptr;
    QLineEdit* listen_ = nullptr;
    QLineEdit* token_ = nullptr;
    QPushButton* newToken_ = nullptr;
    QPushButton* openPanel_ = nullptr;
    QLabel* state_ = nullptr;
};

}  // namespace ui
