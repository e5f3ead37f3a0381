#ifndef VUMTASKSTATUSDELEGATE_H
#define VUMTASKSTATUSDELEGATE_H

#include <QStyledItemDelegate>

// The painter of the task list's "Status" column (column 6 only; the other
// columns keep the list's standard painting). Its parent is the task list.
class VumTaskStatusDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit VumTaskStatusDelegate(QObject* parent = nullptr);
    ~VumTaskStatusDelegate() override;
};

#endif
