// The page editor's smaller dialogs: "Paragraph formatting", "Frame formatting", "Preferences",
// "Create new page" and "Styles library".
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "pages/editor/editor_preferences.h"
#include "pages/editor/page_editor.h"
#include "pages/page_format.h"
#include "pages/style_library.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace ui {

enum : int {
    IDD_PARAGRAPH = 1100,
    IDC_PARA_ALIGN = 1000,
    IDC_PARA_LEFT = 1001,  // 1001-1003: left, center, right
    IDC_PARA_MARGINS = 1004,
    IDC_PARA_SPACING = 1005,
    IDC_PARA_LABEL_LEFT = 1006,
    IDC_PARA_LABEL_RIGHT = 1007,
    IDC_PARA_LABEL_FIRST = 1008,
    IDC_PARA_LABEL_TOP = 1009,
    IDC_PARA_LABEL_BOTTOM = 1010,
    IDC_PARA_LABEL_LINE = 1011,

    IDD_FRAME = 1101,
    IDC_FRAME_LABEL_NAME = 1000,
    IDC_FRAME_POSITION = 1001,
    IDC_FRAME_LABEL_LEFT = 1002,
    IDC_FRAME_LABEL_TOP = 1003,
    IDC_FRAME_SIZE = 1004,
    IDC_FRAME_LABEL_WIDTH = 1005,
    IDC_FRAME_LABEL_HEIGHT = 1006,
    IDC_FRAME_BORDER = 1007,
    IDC_FRAME_BACKGROUND = 1008,
    IDC_FRAME_BORDER_VALUE = 1009,

    IDD_EDITOR_PREFS = 1102,
    IDC_EPREF_FILTER = 1000,
    IDC_EPREF_SHADOW = 1001,
    IDC_EPREF_BLEND = 1002,
    IDC_EPREF_CLIP = 1003,
    IDC_EPREF_LABEL_CLIPX = 1004,
    IDC_EPREF_LABEL_CLIPY = 1005,

    IDD_NEW_PAGE = 1103,
    IDC_NEWPAGE_EMPTY = 1000,
    IDC_NEWPAGE_TEMPLATE = 1001,

    IDD_STYLES = 1104,
    IDC_STYLES_LABEL_NAME = 1000,
    IDC_STYLES_UP = 1001,
    IDC_STYLES_DOWN = 1002,
    IDC_STYLES_REMOVE = 1003,
    IDC_STYLES_FRAME = 1004,
    IDC_STYLES_PARAGRAPH = 1005,
    IDC_STYLES_TEXT = 1006,
};

// Paragraph values; a field of -1 (values differ over the selection) shows empty and stays -1
// unless the operator sets it. Alignment is disabled in a Scroller.
class CParagraphDialog final : public QDialog {
    Q_OBJECT
public:
    CParagraphDialog(const pages::ParaFormat& format, bool canAlign, QWidget* parent = nullptr);
    pages::ParaFormat format() const;

    QRadioButton* alignButton(int align) const { return align_[align]; }
    // 0 line, 1 left, 2 right, 3 top, 4 bottom, 5 first line.
    QSpinBox* spin(int i) const { return spins_[i]; }

private:
    QRadioButton* align_[3] = {};
    QSpinBox* spins_[6] = {};
};

// Name, position and size of a frame; the border (shown 1..15) for a moving frame and the
// background-frame flag for a moving or banner frame.
class CFrameDialog final : public QDialog {
    Q_OBJECT
public:
    CFrameDialog(const pages::FrameFormatting& f, bool canBorder, bool canBackground, QWidget* parent = nullptr);
    pages::FrameFormatting formatting() const;

    QLineEdit* nameEdit() const { return name_; }
    QSpinBox* leftBox() const { return left_; }
    QSpinBox* topBox() const { return top_; }
    QSpinBox* widthBox() const { return width_; }
    QSpinBox* heightBox() const { return height_; }
    QSlider* borderSlider() const { return border_; }
    QCheckBox* backgroundBox() const { return background_; }

private:
    QLineEdit* name_;
    QSpinBox *left_, *top_, *width_, *height_;
    QSlider* border_;
    QLabel* borderValue_;
    QCheckBox* background_;
};

class CEditorPrefsDialog final : public QDialog {
    Q_OBJECT
public:
    CEditorPrefsDialog(const pages::EditorPreferences& prefs, QWidget* parent = nullptr);
    // The preferences with the dialog's values (the keys it does not show kept).
    pages::EditorPreferences preferences() const;

    QCheckBox* filterBox() const { return filter_; }
    QCheckBox* shadowBox() const { return shadow_; }
    QCheckBox* blendBox() const { return blend_; }
    QCheckBox* clipBox() const { return clip_; }
    QSpinBox* clipXBox() const { return clipX_; }
    QSpinBox* clipYBox() const { return clipY_; }

private:
    pages::EditorPreferences prefs_;
    QCheckBox *filter_, *shadow_, *blend_, *clip_;
    QSpinBox *clipX_, *clipY_;
};

// "Create new page": an empty page or one from a template of the Templates folder.
class CNewPageDialog final : public QDialog {
    Q_OBJECT
public:
    CNewPageDialog(const std::vector<std::string>& templates, int type, const std::string& chosen,
                   QWidget* parent = nullptr);
    int type() const;                  // pages::NEW_PAGE_EMPTY or NEW_PAGE_TEMPLATE
    std::string templateName() const;  // "" when none is chosen

    QRadioButton* emptyButton() const { return empty_; }
    QRadioButton* templateButton() const { return fromTemplate_; }
    QListWidget* list() const { return list_; }

private:
    void update();
    QRadioButton *empty_, *fromTemplate_;
    QListWidget* list_;
    QPushButton* ok_;
};

// "Styles library": rename, reorder and remove styles of a copy of the library; the caller
// takes library() on OK.
class CStyleLibraryDialog final : public QDialog {
    Q_OBJECT
public:
    CStyleLibraryDialog(const pages::CStyleLibrary& library, int select, QWidget* parent = nullptr);
    const pages::CStyleLibrary& library() const { return lib_; }

    QListWidget* list() const { return list_; }
    QLineEdit* nameEdit() const { return name_; }
    QPushButton* upButton() const { return up_; }
    QPushButton* downButton() const { return down_; }
    QPushButton* removeButton() const { return remove_; }
    QLabel* frameText() const { return frame_; }
    QLabel* paragraphText() const { return para_; }
    QLabel* textText() const { return text_; }

private:
    void fill(int select);
    void showSelected();
    int row() const;

    pages::CStyleLibrary lib_;
    QListWidget* list_;
    QLineEdit* name_;
    QPushButton *up_, *down_, *remove_;
    QLabel *frame_, *para_, *text_;
    bool filling_ = false;
};

}  // namespace ui
