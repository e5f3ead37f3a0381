#include "app/vumtaskstatusdelegate.h"

VumTaskStatusDelegate::VumTaskStatusDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

VumTaskStatusDelegate::~VumTaskStatusDelegate() = default;
