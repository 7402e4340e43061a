#include "ui/air/air_view.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

#include "air/air_frame.h"
#include "air/seq_doc.h"
#include "app/strings.h"
#include "pages/bitmap32.h"
#include "ui/air/air_pictures.h"
#include "ui/text.h"

namespace ui {

namespace {

enum : int { IDS_CHECK = 15061, IDS_TIME = 15063, IDS_PAGE = 15066, IDS_ABSTRACT = 15067 };
constexpr int kColumnWidths[4] = {48, 48, 160, 160};
constexpr int kDeviceWidth = 160;

}  // namespace

// ---- CPreviewPane

CPreviewPane::CPreviewPane(QWidget* parent) : QWidget(parent) {
    setFixedSize(CAirView::kPreviewWidth + 2, CAirView::kPreviewHeight + 2);
}

void CPreviewPane::setImage(const QImage& image) {
    image_ = image;
    update();
}

void CPreviewPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QColor(0x70, 0x74, 0x7C));
    p.setBrush(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!image_.isNull()) p.drawImage(QRect(1, 1, CAirView::kPreviewWidth, CAirView::kPreviewHeight), image_);
}

// ---- CAirView

CAirView::CAirView(air::CAirFrame& frame, const air::CSeqDoc* sequence, bool statusClass2, bool is400M, QWidget* parent)
    : QScrollArea(parent), frame_(frame), sequence_(sequence) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setFocusPolicy(Qt::StrongFocus);
    form_ = new QWidget;
    preview_ = new CPreviewPane(form_);
    if (statusClass2) {
        device_ = new QLabel(form_);
        device_->setPixmap(DevicePixmap(is400M, kDeviceWidth, kPreviewHeight, devicePixelRatioF()));
        device_->setFixedSize(kDeviceWidth, kPreviewHeight);
    }
    list_ = new QTreeWidget(form_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setHeaderLabels({FromProgramText(app::LoadString(IDS_CHECK)), FromProgramText(app::LoadString(IDS_TIME)),
                            FromProgramText(app::LoadString(IDS_PAGE)),
                            FromProgramText(app::LoadString(IDS_ABSTRACT))});
    int width = 0;
    for (int c = 0; c < 4; ++c) {
        list_->setColumnWidth(c, kColumnWidths[c]);
        width += kColumnWidths[c];
    }
    list_->headerItem()->setTextAlignment(0, Qt::AlignCenter);
    list_->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    list_->setFixedWidth(width + 2 * list_->frameWidth() + list_->verticalScrollBar()->sizeHint().width());
    list_->hide();
    setWidget(form_);
    layoutForm();
}

intptr_t CAirView::send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg != platform::MSG_AIR) return 0;
    switch (int(wParam)) {
        case air::AIRNOTE_STATE: refreshList(); break;
        case air::AIRNOTE_PREVIEW:
            // 1 stands for a caption, which has no picture of its own here.
            if (lParam == 0 || lParam == 1) preview_->setImage({});
            else preview_->setImage(ImageOfBitmap(*reinterpret_cast<const pages::CBitmap32*>(lParam)));
            if (!list_->isHidden()) selectCurrent();
            break;
        default: break;
    }
    return 0;
}

void CAirView::refreshList() {
    const uint16_t kind = frame_.State().kind;
    const bool show = sequence_ && (kind & air::KIND_PAGE) && !(kind & air::KIND_SINGLE);
    if (show) {
        list_->clear();
        for (const air::SeqItem& it : sequence_->items) {
            auto* row = new QTreeWidgetItem(list_);
            const int t = it.ShowTime();
            char time[16];
            std::snprintf(time, sizeof time, "%d:%02d", t / 60, t % 60);
            row->setText(0, it.checked ? QStringLiteral("+") : QString());
            row->setText(1, QString::fromLatin1(time));
            row->setText(2, FromProgramText(it.pageName));
            row->setText(3, FromProgramText(it.summary.descriptionText()));
            row->setTextAlignment(0, Qt::AlignCenter);
            row->setTextAlignment(1, Qt::AlignCenter);
            if (!it.loaded) row->setForeground(2, QColor(0xC0, 0x20, 0x20));
        }
    }
    if (show == list_->isHidden()) {
        list_->setVisible(show);
        layoutForm();
    }
    if (show) selectCurrent();
}

void CAirView::selectCurrent() {
    const int n = list_->topLevelItemCount(), current = frame_.State().current;
    if (current < 0 || current >= n) return;
    QTreeWidgetItem* item = list_->topLevelItem(current);
    list_->setCurrentItem(item);
    // The item and the two below it stay in sight.
    list_->scrollToItem(list_->topLevelItem(std::min(current + 2, n - 1)));
    list_->scrollToItem(item);
}

QSize CAirView::missingRoom() const {
    int width = kPreviewWidth + 2 + 2 * kMargin;
    if (device_) width += kDeviceWidth + kMargin;
    const int height = kPreviewHeight + 2 + 2 * kMargin;
    const QSize view = viewport()->size();
    return {std::max(0, width - view.width()), std::max(0, height - view.height())};
}

void CAirView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    layoutForm();
}

void CAirView::layoutForm() {
    const QSize view = viewport()->size();
    const bool withList = !list_->isHidden();
    const int listHeight = withList ? std::max(120, view.height() - kListTop - kMargin) : 0;
    int blockWidth = std::max(392, withList ? list_->width() + 2 * kMargin : 0);
    if (device_) blockWidth = std::max(blockWidth, kPreviewWidth + kDeviceWidth + 3 * kMargin + 2);
    const int blockHeight = withList ? listHeight + kListTop + kMargin : kPreviewHeight + 2 * kMargin + 2;
    const QSize size(std::max(view.width(), blockWidth), std::max(view.height(), blockHeight));
    form_->resize(size);
    // The block stays centred in the view.
    const int x = (size.width() - blockWidth) / 2, y = (size.height() - blockHeight) / 2;
    preview_->move(x + kMargin, y + kMargin);
    if (device_) device_->move(x + kMargin + kPreviewWidth + 2 + kMargin, y + kMargin + 1);
    if (withList) list_->setGeometry(x + kMargin, y + kListTop, list_->width(), listHeight);
}

}  // namespace ui
