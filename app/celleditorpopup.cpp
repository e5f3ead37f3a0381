#include "app/celleditorpopup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QRect>

void showCellEditorPopup(QComboBox* editor, int minimumWidth)
{
    QWidget* list = editor->view();
    QWidget* container = list->parentWidget();
    if (!container)
        return;
    const QPoint bottomRight = editor->mapToGlobal(QPoint(editor->width(), editor->height()));
    QRect area(bottomRight.x() - editor->width(), bottomRight.y(), editor->width(), 40);
    if (area.width() < minimumWidth)
        area.setWidth(minimumWidth);
    container->setGeometry(area);
    container->raise();
    container->show();
    list->setFocus(Qt::OtherFocusReason);
}
