// The voice messages of the Interactive system view. "Write voice message" (dialog 314): the lines
// to write, a WAV file and its play time, or "Clear voice message"; "Read voice message" (315):
// the line whose message is read back; with the USB adapter the write button chooses instead the
// WAV file each line plays (316, "SoundFile1".."SoundFile8"). The transfers themselves, their
// progress and Cancel are the model's.
#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "interactive/itv_model.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

class CVoiceWriteDialog : public QDialog {
    Q_OBJECT
public:
    enum : int {
        IDD_VOICE_WRITE = 314,
        IDC_VOICE_LINE1 = 1001,  // .. 1008
        IDC_VOICE_FILE = 1010,
        IDC_VOICE_BROWSE = 1011,
        IDC_VOICE_TIME = 1012,
        IDC_VOICE_CLEAR = 1013,
    };
    // lines: the lines checked at first (bit n: line n).
    CVoiceWriteDialog(interactive::CITVModel& model, uint8_t lines, QWidget* parent = nullptr);

    // What a "Browse..." does after its file dialog: loads the file (its messages shown).
    bool choose(const std::string& path);
    // The message to write, once accepted.
    interactive::VoiceWrite request() const;

    QCheckBox* line(int i) const { return lines_[size_t(i)]; }
    QLineEdit* file() const { return file_; }
    QLabel* playTime() const { return time_; }
    QCheckBox* clear() const { return clear_; }
    QPushButton* okButton() const;

private:
    void updateState();

    interactive::CITVModel& model_;
    std::array<QCheckBox*, interactive::kItvAnswers> lines_{};
    QLineEdit* file_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLabel* time_ = nullptr;
    QCheckBox* clear_ = nullptr;
    QDialogButtonBox* box_ = nullptr;
    std::vector<uint8_t> message_;
};

class CVoiceReadDialog : public QDialog {
    Q_OBJECT
public:
    enum : int { IDD_VOICE_READ = 315, IDC_VOICE_READ_LINE = 1020 };
    CVoiceReadDialog(int line, QWidget* parent = nullptr);
    int line() const;
    QComboBox* lines() const { return lines_; }

private:
    QComboBox* lines_ = nullptr;
};

class CSoundFilesDialog : public QDialog {
    Q_OBJECT
public:
    enum : int {
        IDD_SOUND_FILES = 316,
        IDC_SOUND_FILE1 = 1030,    // .. 1037
        IDC_SOUND_BROWSE1 = 1040,  // .. 1047
    };
    // Each line is named with the answer it counts for in doc (or "not used").
    CSoundFilesDialog(const std::array<std::string, interactive::kItvAnswers>& files, const interactive::CITVDoc& doc,
                      const std::string& folder, QWidget* parent = nullptr);

    std::array<std::string, interactive::kItvAnswers> files() const;
    // What a "..." button does after its file dialog.
    void choose(int line, const std::string& path);
    QLineEdit* file(int i) const { return files_[size_t(i)]; }

private:
    std::string folder_;
    std::array<QLineEdit*, interactive::kItvAnswers> files_{};
};

}  // namespace ui
