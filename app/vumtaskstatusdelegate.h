#ifndef VUMTASKSTATUSDELEGATE_H
#define VUMTASKSTATUSDELEGATE_H

#include <QStyledItemDelegate>

// The painter of the task list's "Status" column (column 6 only; the other
// columns keep the list's standard painting). Its parent is the task list.
//
// A cell shows the word for its row's status (taskrow::statusText), nothing
// for new, idle and finished rows, and for the row being converted a bar of
// the skin's "processBgColor" filled to the row's progress with the
// percentage centred over it in "processFontColor". Selected and hovered
// cells get the item-view panel of the parent's style underneath. A word
// wider than the cell ends in "…" and shows whole as the cell's tooltip;
// an incomplete row's tooltip names the pages it could not read.
//
// The delegate keeps no state: every paint reads the row's status and
// progress roles and the current skin afresh. GUI thread only.
class VumTaskStatusDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit VumTaskStatusDelegate(QObject* parent = nullptr);
    ~VumTaskStatusDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The standard size, at least 50 pixels wide, so the column cannot be
    // made too narrow for the percentage.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The tooltip of a cell whose word is cut: the whole word; of an
    // incomplete row's cell: the pages it could not read.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    void paintBackground(QPainter* painter, const QStyleOptionViewItem& option) const;
    static void paintProgress(QPainter* painter, const QRect& cell, const QModelIndex& index);
};

#endif
