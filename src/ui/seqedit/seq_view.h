// The sequence editor's grid: a header row, the summary row (item count, checked count, total
// time) and one row per item in display order ("Invert" shows the last item first), with the
// nine columns of texts, check boxes and pictures. The Time and Comment cells are edited in
// place; clicking the Check cell toggles it; activating any other cell asks the frame to act.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <functional>

#include "air/seqedit/seq_editor.h"

namespace ui {

class CSeqTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CSeqTableModel(air::CSeqEditor& ed, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Every cell again (after any command).
    void reload();
    // The item of a grid row (-1 for the summary row).
    int itemOfRow(int row) const { return row <= 0 ? -1 : ed_.itemOfRow(row - 1); }
    int rowOfItem(int item) const { return ed_.rowOfItem(item) + 1; }

    // Called after an in-place edit changed the sequence.
    std::function<void()> edited;

private:
    air::CSeqEditor& ed_;
};

class CSeqView final : public QTableView {
    Q_OBJECT
public:
    explicit CSeqView(air::CSeqEditor& ed, QWidget* parent = nullptr);

    CSeqTableModel* table() const { return model_; }
    // Shows the sequence again and selects what the editor has selected.
    void reload();
    // The editor's selection from the rows selected on screen.
    void takeSelection();
    // The grid row of an item and the rectangle of one of its cells (tests, pictures).
    QRect cellRect(int item, int column) const;

signals:
    // A cell of an item row was activated (double click, Enter): item index and column.
    void cellActivated(int item, int column);
    void headerClicked(int column);
    void contextMenuAt(const QPoint& globalPos);
    // The sequence changed through the grid (a check, an edited cell).
    void sequenceChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    air::CSeqEditor& ed_;
    CSeqTableModel* model_;
    bool syncing_ = false;
};

}  // namespace ui
