// CAirView: the view of the plain air frame. A 360 × 288 preview of what is cued, the Device's
// picture beside it for the models of status class 2, and, while the frame plays a page list,
// the list with "Check", "Time", "Page" and "Abstract" whose selection follows the item on air.
// It hears from the air frame through MSG_AIR.
#pragma once

#include <QImage>
#include <QScrollArea>

#include "platform/message_target.h"

class QLabel;
class QTreeWidget;

namespace air {
class CAirFrame;
class CSeqDoc;
}  // namespace air

namespace ui {

class CPreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit CPreviewPane(QWidget* parent = nullptr);
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

class CAirView : public QScrollArea, public platform::MessageTarget {
    Q_OBJECT
public:
    static constexpr int kPreviewWidth = 360, kPreviewHeight = 288;
    static constexpr int kMargin = 16, kListTop = 320;

    // sequence: the page list the frame plays (may be null); statusClass2 shows the Device.
    CAirView(air::CAirFrame& frame, const air::CSeqDoc* sequence, bool statusClass2, bool is400M,
             QWidget* parent = nullptr);

    // MSG_AIR from the air frame.
    void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override { send(msg, wParam, lParam); }
    intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;

    CPreviewPane* preview() const { return preview_; }
    QTreeWidget* list() const { return list_; }
    QLabel* devicePicture() const { return device_; }
    // Fills the list from the sequence again (shown only while a page list plays).
    void refreshList();
    // How much wider and higher the view must be to show the preview (and the Device's
    // picture) whole; empty when it does.
    QSize missingRoom() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutForm();
    void selectCurrent();

    air::CAirFrame& frame_;
    const air::CSeqDoc* sequence_;
    QWidget* form_;
    CPreviewPane* preview_;
    QLabel* device_ = nullptr;
    QTreeWidget* list_;
};

}  // namespace ui
