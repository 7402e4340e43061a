// Program output as video in the main frame: the "Output" dialog (the four configured outputs of
// the [Output] section, added, edited, removed, started and stopped) and the status-bar lamps, one
// per running output with what it has written. The outputs run in an output::OutputSet fed by the
// embedded virtual Device's field tap (set up by the program around it).
#pragma once

#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/output_settings.h"
#include "output/output_set.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace app {
class Profile;
}

namespace ui {

// The configured outputs and the running ones, shared by the dialog and the lamps.
class COutputs : public QObject {
    Q_OBJECT
public:
    // available: the program output can be taken (the link goes to the embedded virtual Device);
    // root: the folder a relative file name is below (the data root).
    COutputs(app::Profile& ini, output::OutputSet& set, bool available, std::string root = {},
             QObject* parent = nullptr);
    ~COutputs() override;

    bool available() const { return available_; }
    const std::vector<app::OutputSinkSetting>& sinks() const { return sinks_; }
    // Replaces slot n (0-3) and saves the section; a running output there is stopped first.
    bool setSink(int n, const app::OutputSinkSetting& s);
    bool removeSink(int n);
    // Starts slot n; false with the message naming the sink.
    bool start(int n, std::string& error);
    void stop(int n);
    bool running(int n) const { return set_.running(n); }
    std::vector<output::SinkStats> stats(int n) const { return set_.stats(n); }
    // The outputs marked "start with the program"; messages of those that would not start.
    std::vector<std::string> startEnabled();
    void stopAll();

signals:
    void changed();

private:
    bool save();

    app::Profile& ini_;
    output::OutputSet& set_;
    bool available_;
    std::string root_;
    std::vector<app::OutputSinkSetting> sinks_;
};

// One output's settings.
class COutputSinkDialog : public QDialog {
    Q_OBJECT
public:
    COutputSinkDialog(const app::OutputSinkSetting& s, QWidget* parent = nullptr);
    app::OutputSinkSetting value() const;
    void accept() override;

    QLineEdit* target() const { return target_; }
    QComboBox* format() const { return format_; }
    QComboBox* codec() const { return codec_; }
    QLineEdit* background() const { return background_; }
    QComboBox* rate() const { return rate_; }
    QCheckBox* silence() const { return silence_; }
    QCheckBox* enabled() const { return enabled_; }

private:
    QLineEdit* target_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* codec_ = nullptr;
    QLineEdit* background_ = nullptr;
    QComboBox* rate_ = nullptr;
    QCheckBox* silence_ = nullptr;
    QCheckBox* enabled_ = nullptr;
};

class COutputDialog : public QDialog {
    Q_OBJECT
public:
    COutputDialog(COutputs& outputs, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    int current() const;
    void Refresh();
    // Edits slot n with a sink dialog (what Add and Edit do); `prepare` may fill it first (tests).
    void EditSlot(int n, const std::function<void(COutputSinkDialog&)>& prepare = {});

private:
    void onStart();
    void enable();

    COutputs& outputs_;
    QTableWidget* table_ = nullptr;
    QPushButton *add_ = nullptr, *edit_ = nullptr, *remove_ = nullptr, *start_ = nullptr, *stop_ = nullptr;
    QLabel* note_ = nullptr;
    QTimer timer_;
};

// The lamps in the status bar: a coloured light and "REC name 1234 fr 0 drop 5.1 Mb/s" (or LIVE
// for a stream) per running output, refreshed each second; a failed output shows its message.
class COutputLamps : public QWidget {
    Q_OBJECT
public:
    explicit COutputLamps(COutputs& outputs, QWidget* parent = nullptr);
    void Refresh();
    // The text of slot n's lamp ("" when it shows none).
    QString lampText(int n) const;

private:
    COutputs& outputs_;
    QHBoxLayout* row_ = nullptr;
    std::map<int, QLabel*> lamps_;
    std::map<int, std::pair<uint64_t, qint64>> lastBytes_;  // bytes and time of the last refresh
    QTimer timer_;
};

}  // namespace ui
