#include "ui/seqedit/seq_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>

#include "app/strings.h"
#include "ui/air/effect_pictures.h"
#include "ui/resources.h"
#include "ui/text.h"

namespace ui {

namespace {
enum : int { IDS_SEQ_TYPE_FIRST = 33817, IDS_SEQ_TYPE_TIP = 33820 };  // "Fixed", "Scroller", "Roll"; "%1, %2"
}  // namespace

using namespace air;

namespace {

constexpr int kPictureHeight = 16;

// The moving-frame type of a page: a still frame, a crawl (arrow left) or a roll (arrow up).
QPixmap typePicture(int movingType) {
    const QString key = QStringLiteral("zx-seq-type-%1").arg(movingType);
    QPixmap pm;
    if (QPixmapCache::find(key, &pm)) return pm;
    pm = QPixmap(20, kPictureHeight);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.setBrush(QColor(0x2F, 0x6F, 0xD0));
    p.drawRect(QRectF(1.5, 1.5, 17, 13));
    p.setPen(QPen(QColor(0xFF, 0xD0, 0x20), 2));
    if (movingType == 1) {
        p.drawLine(QPointF(15, 8), QPointF(5, 8));
        p.drawLine(QPointF(5, 8), QPointF(8, 5));
        p.drawLine(QPointF(5, 8), QPointF(8, 11));
    } else if (movingType == 2) {
        p.drawLine(QPointF(10, 13), QPointF(10, 4));
        p.drawLine(QPointF(10, 4), QPointF(7, 7));
        p.drawLine(QPointF(10, 4), QPointF(13, 7));
    } else {
        p.setPen(QPen(QColor(0x7F, 0xAA, 0xEA), 1.5));
        p.drawLine(QPointF(4, 6), QPointF(16, 6));
        p.drawLine(QPointF(4, 10), QPointF(13, 10));
    }
    p.end();
    QPixmapCache::insert(key, pm);
    return pm;
}

QPixmap effectPicture(int type) {
    const QString key = QStringLiteral("zx-seq-effect-%1").arg(type);
    QPixmap pm;
    if (QPixmapCache::find(key, &pm)) return pm;
    pm = EffectPicture(type, QSize(20, kPictureHeight));
    QPixmapCache::insert(key, pm);
    return pm;
}

}  // namespace

// ---- CSeqTableModel

CSeqTableModel::CSeqTableModel(CSeqEditor& ed, QObject* parent) : QAbstractTableModel(parent), ed_(ed) {}

int CSeqTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ed_.count() + 1; }

int CSeqTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : SEQ_COLUMN_COUNT; }

QVariant CSeqTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return StrLine(IDS_SEQ_COLUMN_TITLE + section);
}

QVariant CSeqTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int column = index.column();
    if (index.row() == 0) {
        // The summary row.
        switch (role) {
            case Qt::DisplayRole: return FromProgramText(ed_.SummaryText(column));
            case Qt::BackgroundRole: return QColor(0xE8, 0xEC, 0xF2);
            case Qt::FontRole: {
                QFont f;
                f.setBold(true);
                return f;
            }
            case Qt::TextAlignmentRole:
                return column == SEQ_COL_NUMBER || column == SEQ_COL_CHECK || column == SEQ_COL_TIME
                           ? QVariant(Qt::AlignCenter)
                           : QVariant();
            default: return {};
        }
    }
    const int item = itemOfRow(index.row());
    const SeqItem* it = ed_.doc().item(item);
    if (!it) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (column == SEQ_COL_CHECK || column == SEQ_COL_EFFECT) return {};
            if (column == SEQ_COL_TIME && role == Qt::EditRole) return it->ShowTime();
            return FromProgramText(ed_.CellText(item, column));
        case Qt::CheckStateRole:
            return column == SEQ_COL_CHECK ? QVariant(it->checked ? Qt::Checked : Qt::Unchecked) : QVariant();
        case Qt::DecorationRole:
            if (column == SEQ_COL_EFFECT) return effectPicture(it->showParams.inType);
            if (column == SEQ_COL_TYPE && it->loaded) return typePicture(it->summary.movingType);
            return {};
        case Qt::ForegroundRole:
            if (column == SEQ_COL_PAGE && !it->loaded) return QColor(Qt::red);
            if (column == SEQ_COL_TIME && !ed_.TimeEditable(item)) return QColor(0x60, 0x60, 0x60);
            return {};
        case Qt::TextAlignmentRole:
            return column == SEQ_COL_NUMBER || column == SEQ_COL_TIME ? QVariant(Qt::AlignCenter) : QVariant();
        case Qt::ToolTipRole:
            if (column == SEQ_COL_EFFECT) return EffectName(it->showParams.inType);
            if (column == SEQ_COL_PAGE) return FromProgramText(ed_.doc().FullPath(*it));
            if (column == SEQ_COL_TYPE && it->loaded) {
                const int t = it->summary.movingType;
                return StrFmt(IDS_SEQ_TYPE_TIP, {t >= 0 && t <= 2 ? StrLine(IDS_SEQ_TYPE_FIRST + t) : QString("?"),
                                                 CSeqEditor::SizeText(*it)});
            }
            return {};
        default: return {};
    }
}

Qt::ItemFlags CSeqTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (index.row() == 0) return Qt::ItemIsEnabled;  // the summary row is never selected
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int item = itemOfRow(index.row());
    if (index.column() == SEQ_COL_COMMENT || (index.column() == SEQ_COL_TIME && ed_.TimeEditable(item)))
        f |= Qt::ItemIsEditable;
    return f;
}

bool CSeqTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.row() == 0) return false;
    const int item = itemOfRow(index.row());
    bool changed = false;
    if (index.column() == SEQ_COL_TIME) {
        bool ok = false;
        const int seconds = value.toString().trimmed().toInt(&ok);
        if (!ok) return false;
        changed = ed_.SetShowTime(item, seconds);
    } else if (index.column() == SEQ_COL_COMMENT) {
        changed = ed_.SetComment(item, ToProgramText(value.toString()));
    }
    if (changed) {
        // The totals and the effect picture may have changed too.
        emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, SEQ_COLUMN_COUNT - 1));
        if (edited) edited();
    }
    return changed;
}

void CSeqTableModel::reload() {
    beginResetModel();
    endResetModel();
}

// ---- CSeqView

CSeqView::CSeqView(CSeqEditor& ed, QWidget* parent) : QTableView(parent), ed_(ed) {
    model_ = new CSeqTableModel(ed, this);
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setIconSize(QSize(20, kPictureHeight));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    // The narrow default widths cut long titles: keep their start readable.
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setTextElideMode(Qt::ElideRight);
    horizontalHeader()->setStretchLastSection(false);
    model_->edited = [this] { emit sequenceChanged(); };
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { emit headerClicked(c); });
    connect(this, &QAbstractItemView::activated, this, [this](const QModelIndex& i) {
        const int item = model_->itemOfRow(i.row());
        if (item >= 0 && i.column() != SEQ_COL_CHECK) emit cellActivated(item, i.column());
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!syncing_) takeSelection();
    });
}

void CSeqView::takeSelection() {
    std::vector<int> items;
    for (const QModelIndex& r : selectionModel()->selectedRows())
        if (int item = model_->itemOfRow(r.row()); item >= 0) items.push_back(item);
    ed_.setSelection(std::move(items));
}

void CSeqView::reload() {
    syncing_ = true;
    model_->reload();
    QItemSelection sel;
    for (int item : ed_.selection()) {
        const int row = model_->rowOfItem(item);
        sel.select(model_->index(row, 0), model_->index(row, SEQ_COLUMN_COUNT - 1));
    }
    selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    if (!ed_.selection().empty()) {
        const QModelIndex first = model_->index(model_->rowOfItem(ed_.selection().front()), SEQ_COL_PAGE);
        selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        scrollTo(first);
    }
    syncing_ = false;
}

QRect CSeqView::cellRect(int item, int column) const {
    return visualRect(model_->index(model_->rowOfItem(item), column));
}

void CSeqView::contextMenuEvent(QContextMenuEvent* event) {
    // The row under the pointer joins the selection first, as a right click selects.
    const QModelIndex at = indexAt(event->pos());
    if (at.isValid() && at.row() > 0 && !selectionModel()->isRowSelected(at.row(), {})) {
        selectionModel()->select(model_->index(at.row(), 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    emit contextMenuAt(event->globalPos());
}

void CSeqView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
    // A click on the Check cell toggles the mark at once.
    if (event->button() == Qt::LeftButton && at.isValid() && at.row() > 0 && at.column() == SEQ_COL_CHECK &&
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
        if (ed_.ToggleCheck(model_->itemOfRow(at.row()))) {
            emit model_->dataChanged(model_->index(0, 0), model_->index(model_->rowCount() - 1, SEQ_COLUMN_COUNT - 1));
            emit sequenceChanged();
        }
    }
}

}  // namespace ui
