// The interactive system's settings sheet (12029 "Interactive system settings"): the question
// and the scale ("Question"), the answer texts ("Answers"), the SMS keywords ("Phone
// numbers/SMS keywords") and which answer each phone line counts for ("Phone lines"). OK hands
// the edited document to the apply function (the model saves it); the sheet stays open when
// that fails.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "interactive/itv_doc.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTabWidget;

namespace ui {

class CITVSettingsSheet : public QDialog {
    Q_OBJECT
public:
    enum : int { IDS_ITV_SETTINGS = 12029, IDS_ANSWER_N = 18101 };
    using Apply = std::function<bool(const interactive::CITVDoc&)>;

    CITVSettingsSheet(const interactive::CITVDoc& doc, Apply apply, QWidget* parent = nullptr);

    // The document as the pages have it now.
    interactive::CITVDoc edited() const;
    void accept() override;

    // The pages' controls.
    QTabWidget* tabs() const { return tabs_; }
    QPlainTextEdit* question() const { return question_; }
    QSpinBox* fullScale() const { return fullScale_; }
    QCheckBox* fillWholeScale() const { return fill_; }
    QCheckBox* ignoreDuplicates() const { return duplicates_; }
    QComboBox* decimals() const { return decimals_; }
    QLineEdit* answer(int i) const { return answers_[size_t(i)]; }
    QLineEdit* keyword(int i) const { return keywords_[size_t(i)]; }
    QCheckBox* line(int i) const { return lines_[size_t(i)]; }
    QComboBox* lineAnswer(int i) const { return lineAnswers_[size_t(i)]; }

private:
    // The lines' lists name the answers as the other pages have them now.
    void fillLineLists();

    interactive::CITVDoc doc_;
    Apply apply_;
    QTabWidget* tabs_ = nullptr;
    QPlainTextEdit* question_ = nullptr;
    QSpinBox* fullScale_ = nullptr;
    QCheckBox* fill_ = nullptr;
    QCheckBox* duplicates_ = nullptr;
    QComboBox* decimals_ = nullptr;
    std::array<QLineEdit*, interactive::kItvAnswers> answers_{};
    std::array<QLineEdit*, interactive::kItvAnswers> keywords_{};
    std::array<QCheckBox*, interactive::kItvAnswers> lines_{};
    std::array<QComboBox*, interactive::kItvAnswers> lineAnswers_{};
};

}  // namespace ui
