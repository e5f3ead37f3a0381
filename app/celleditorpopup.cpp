#include "app/celleditorpopup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLayout>
#include <QRect>

#include <algorithm>

namespace {

// The least height of the list, whatever it holds.
constexpr int kMinimumHeight = 40;

// The height at which the container shows every item (up to the editor's
// most visible items) without scroll arrows: the rows, the list's frame, and
// the container's frame and layout margins, as the style gives them.
int heightForAllItems(const QComboBox* editor, const QWidget* container)
{
    const QAbstractItemView* list = editor->view();
    const int shown = std::min(editor->count(), editor->maxVisibleItems());
    int height = 2 * list->frameWidth();
    for (int row = 0; row < shown; ++row)
        height += list->sizeHintForRow(row);
    const QMargins frame = container->contentsMargins();
    height += frame.top() + frame.bottom();
    if (const QLayout* layout = container->layout())
        height += layout->contentsMargins().top() + layout->contentsMargins().bottom();
    return height;
}

} // namespace

void showCellEditorPopup(QComboBox* editor, int minimumWidth)
{
    QWidget* list = editor->view();
    QWidget* container = list->parentWidget();
    if (!container)
        return;
    const QPoint bottomRight = editor->mapToGlobal(QPoint(editor->width(), editor->height()));
    const int height = std::max(kMinimumHeight, heightForAllItems(editor, container));
    QRect area(bottomRight.x() - editor->width(), bottomRight.y(), editor->width(), height);
    if (area.width() < minimumWidth)
        area.setWidth(minimumWidth);
    container->setGeometry(area);
    container->raise();
    container->show();
    list->setFocus(Qt::OtherFocusReason);
}
