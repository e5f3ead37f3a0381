#include "app/vumtaskstatusdelegate.h"

#include "app/taskrow.h"
#include "platform/vuframe0/vuapplication.h"
#include "platform/vuframe0/vuskin.h"
#include "platform/vuframe0/vuskinmanager.h"

#include <QAbstractItemView>
#include <QColor>
#include <QHelpEvent>
#include <QLoggingCategory>
#include <QPainter>
#include <QStyle>
#include <QToolTip>
#include <QWidget>

#include <cmath>

namespace {

// Every repaint of a converting row says so; off unless switched on with
// QT_LOGGING_RULES="quireflow.status.debug=true".
Q_LOGGING_CATEGORY(lcStatus, "quireflow.status", QtInfoMsg)

constexpr int kMinimumWidth = 50;

// A skin colour, or the fallback when the skin leaves it unset. A text no
// colour can be read from also gets the fallback, rather than the black an
// invalid QColor paints with.
QColor skinColour(const char* property, const char* fallback)
{
    const QColor colour(VuApplication::skinManager()->currentSkin()->property(
        QLatin1String(property)));
    return colour.isValid() ? colour : QColor(QLatin1String(fallback));
}

// The row's progress in percent, kept to 0..100: the bar must not spill
// into the neighbouring cells, and a text that is no finite number (or
// none) counts as 0 so the conversion to int below stays defined.
double progressPercent(const QModelIndex& index)
{
    const double percent = index.data(taskrow::RoleProgress).toDouble();
    if (!std::isfinite(percent) || percent <= 0)
        return 0;
    return percent > 100 ? 100 : percent;
}

// The word as it fits the cell, cut with "…" when it is wider.
QString fittedWord(const QString& word, const QStyleOptionViewItem& option)
{
    return option.fontMetrics.elidedText(word, Qt::ElideRight, option.rect.width());
}

} // namespace

VumTaskStatusDelegate::VumTaskStatusDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

VumTaskStatusDelegate::~VumTaskStatusDelegate() = default;

void VumTaskStatusDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    if (!index.isValid())
        return;

    const int status = index.data(taskrow::RoleStatus).toInt();
    paintBackground(painter, option);

    painter->save();
    if (status == taskrow::StatusConverting) {
        paintProgress(painter, option.rect, index);
    } else {
        // Idle, finished and unknown codes have no word; a finished row's
        // link label lies over the cell.
        const QString text = taskrow::statusText(index);
        if (!text.isEmpty())
            painter->drawText(option.rect, Qt::AlignCenter, fittedWord(text, option));
    }
    painter->restore();
}

// The view draws the row's background but leaves a selected or hovered
// cell's panel to the delegate.
void VumTaskStatusDelegate::paintBackground(QPainter* painter,
                                            const QStyleOptionViewItem& option) const
{
    if (!(option.state & (QStyle::State_Selected | QStyle::State_MouseOver)))
        return;
    if (auto* widget = qobject_cast<QWidget*>(parent()))
        widget->style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter, widget);
    else
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
}

void VumTaskStatusDelegate::paintProgress(QPainter* painter, const QRect& cell,
                                          const QModelIndex& index)
{
    const QColor barColour = skinColour("processBgColor", "#6699FF");
    const QColor textColour = skinColour("processFontColor", "#FF3366");

    const double percent = progressPercent(index);
    const int barWidth = static_cast<int>(percent * cell.width() / 100);
    if (barWidth > 0)
        painter->fillRect(QRect(cell.left(), cell.top(), barWidth, cell.height()), barColour);

    painter->setPen(textColour);
    painter->drawText(cell, Qt::AlignCenter,
                      QStringLiteral("%1%").arg(static_cast<int>(percent)));

    qCDebug(lcStatus, "painter = %s", qUtf8Printable(index.data(taskrow::RoleProgress).toString()));
}

QSize VumTaskStatusDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(qMax(size.width(), kMinimumWidth));
    return size;
}

bool VumTaskStatusDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                      const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() == QEvent::ToolTip && index.isValid()) {
        const QString word = taskrow::statusText(index);
        const QString tip = taskrow::statusTip(index);
        if (!tip.isEmpty() || (!word.isEmpty() && fittedWord(word, option) != word)) {
            QToolTip::showText(event->globalPos(), tip.isEmpty() ? word : tip, view, option.rect);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
