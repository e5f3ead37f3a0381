#include "app/taskrow.h"

#include "convert/pagelist.h"

#include <QCoreApplication>
#include <QModelIndex>
#include <QTreeWidgetItem>
#include <QVariant>

namespace taskrow {

namespace {

struct ColumnSpec {
    const char* header;
    int width;
};

constexpr ColumnSpec kColumns[kColumnCount] = {
    {"", 45},
    {QT_TRANSLATE_NOOP("TaskRow", "File Name"), 150},
    {QT_TRANSLATE_NOOP("TaskRow", "Size"), 80},
    {QT_TRANSLATE_NOOP("TaskRow", "Total Pages"), 110},
    {QT_TRANSLATE_NOOP("TaskRow", "Conversion Mode"), 130},
    {QT_TRANSLATE_NOOP("TaskRow", "Selected Pages"), 145},
    {QT_TRANSLATE_NOOP("TaskRow", "Status"), 85},
};

struct StatusLabel {
    int status;
    const char* text;
};

constexpr StatusLabel kStatusLabels[] = {
    {StatusWaiting, QT_TRANSLATE_NOOP("TaskRow", "Waiting")},
    {StatusStop, QT_TRANSLATE_NOOP("TaskRow", "Stop")},
    {StatusPause, QT_TRANSLATE_NOOP("TaskRow", "Pause")},
    {StatusAbort, QT_TRANSLATE_NOOP("TaskRow", "Abort")},
    {StatusSkipped, QT_TRANSLATE_NOOP("TaskRow", "Skipped")},
    {StatusFailed, QT_TRANSLATE_NOOP("TaskRow", "Failed")},
};

// The text fields of BookInfo with their roles; seriesIndex, the one int,
// sits between series and comments.
struct TextField {
    int role;
    QString BookInfo::*field;
};

constexpr TextField kTextFields[] = {
    {RoleTitle, &BookInfo::title},
    {RoleAuthor, &BookInfo::author},
    {RoleIsbn, &BookInfo::isbn},
    {RolePublisher, &BookInfo::publisher},
    {RolePublishDate, &BookInfo::publishDate},
    {RoleSeries, &BookInfo::series},
    {RoleComments, &BookInfo::comments},
    {RoleCoverPath, &BookInfo::coverPath},
};

QVariant value(const QTreeWidgetItem* row, int role)
{
    return row ? row->data(ColumnStatus, role) : QVariant();
}

void setValue(QTreeWidgetItem* row, int role, const QVariant& data)
{
    if (row)
        row->setData(ColumnStatus, role, data);
}

QString cellText(const QTreeWidgetItem* row, int column)
{
    return row ? row->text(column) : QString();
}

QList<int> pagesOf(const QVariant& data)
{
    QList<int> pages;
    for (const QVariant& page : data.toList())
        pages << page.toInt();
    return pages;
}

// Rising pages written as a page list is: runs as ranges ("5,28,30-31").
QString pageRuns(const QList<int>& pages)
{
    QStringList runs;
    for (qsizetype first = 0; first < pages.size();) {
        qsizetype last = first;
        while (last + 1 < pages.size() && pages[last + 1] == pages[last] + 1)
            ++last;
        QString run = QString::number(pages[first]);
        if (last > first)
            run += QLatin1Char('-') + QString::number(pages[last]);
        runs << run;
        first = last + 1;
    }
    return runs.join(QLatin1Char(','));
}

} // namespace

QString columnHeader(int column)
{
    if (column < 0 || column >= kColumnCount)
        return QString();
    return QCoreApplication::translate("TaskRow", kColumns[column].header);
}

int columnWidth(int column)
{
    return column < 0 || column >= kColumnCount ? 0 : kColumns[column].width;
}

QString statusText(int status)
{
    for (const StatusLabel& label : kStatusLabels) {
        if (label.status == status)
            return QCoreApplication::translate("TaskRow", label.text);
    }
    return QString();
}

QString statusText(const QModelIndex& cell)
{
    const int status = cell.data(RoleStatus).toInt();
    if (status != StatusIncomplete)
        return statusText(status);
    return QCoreApplication::translate("TaskRow", "Unreadable: %1").arg(cell.data(RoleUnreadPages).toList().size());
}

QString statusTip(const QModelIndex& cell)
{
    if (cell.data(RoleStatus).toInt() != StatusIncomplete)
        return QString();
    return QCoreApplication::translate("TaskRow", "Pages that could not be read: %1")
        .arg(pageRuns(pagesOf(cell.data(RoleUnreadPages))));
}

QList<int> unreadPages(const QTreeWidgetItem* row)
{
    return pagesOf(value(row, RoleUnreadPages));
}

void setUnreadPages(QTreeWidgetItem* row, const QList<int>& pages)
{
    QVariantList data;
    for (const int page : pages)
        data << page;
    setValue(row, RoleUnreadPages, data);
}

int status(const QTreeWidgetItem* row)
{
    return value(row, RoleStatus).toInt();
}

void setStatus(QTreeWidgetItem* row, int status)
{
    setValue(row, RoleStatus, status);
}

bool hasBook(const QTreeWidgetItem* row)
{
    const int code = status(row);
    return code == StatusDone || code == StatusIncomplete;
}

QString progressText(const QTreeWidgetItem* row)
{
    return value(row, RoleProgress).toString();
}

void setProgressText(QTreeWidgetItem* row, const QString& text)
{
    setValue(row, RoleProgress, text);
}

QString pdfPath(const QTreeWidgetItem* row)
{
    return value(row, RolePdfPath).toString();
}

void setPdfPath(QTreeWidgetItem* row, const QString& path)
{
    setValue(row, RolePdfPath, path);
}

QStringList pageList(const QTreeWidgetItem* row)
{
    return value(row, RolePageList).toStringList();
}

void setPageList(QTreeWidgetItem* row, const QStringList& pages)
{
    setValue(row, RolePageList, pages);
}

QString outputName(const QTreeWidgetItem* row)
{
    return value(row, RoleOutputName).toString();
}

void setOutputName(QTreeWidgetItem* row, const QString& name)
{
    setValue(row, RoleOutputName, name);
}

QString outputFolder(const QTreeWidgetItem* row)
{
    return value(row, RoleOutputFolder).toString();
}

void setOutputFolder(QTreeWidgetItem* row, const QString& folder)
{
    setValue(row, RoleOutputFolder, folder);
}

QRect area(const QTreeWidgetItem* row)
{
    return value(row, RoleArea).toRect();
}

void setArea(QTreeWidgetItem* row, const QRect& area)
{
    setValue(row, RoleArea, area);
}

QRect labelArea(const QTreeWidgetItem* row)
{
    return value(row, RoleLabelArea).toRect();
}

void setLabelArea(QTreeWidgetItem* row, const QRect& area)
{
    setValue(row, RoleLabelArea, area);
}

int conversionZoom(const QTreeWidgetItem* row)
{
    return value(row, RoleConversionZoom).toInt();
}

void setConversionZoom(QTreeWidgetItem* row, int zoom)
{
    setValue(row, RoleConversionZoom, zoom);
}

bool hasPassword(const QTreeWidgetItem* row)
{
    return value(row, RolePassword).isValid();
}

QString password(const QTreeWidgetItem* row)
{
    return value(row, RolePassword).toString();
}

void setPassword(QTreeWidgetItem* row, const QString& password)
{
    setValue(row, RolePassword, password);
}

int pageCount(const QTreeWidgetItem* row)
{
    return cellText(row, ColumnTotalPages).toInt();
}

bool isLocked(const QTreeWidgetItem* row)
{
    return row && cellText(row, ColumnTotalPages).isEmpty();
}

QString pageText(const QTreeWidgetItem* row)
{
    return cellText(row, ColumnSelectedPages);
}

bool acceptsPageText(const QTreeWidgetItem* row, const QString& text)
{
    return row && utils::isPageTextValid(text, pageCount(row), true);
}

BookInfo bookInfo(const QTreeWidgetItem* row)
{
    BookInfo info;
    for (const TextField& text : kTextFields)
        info.*text.field = value(row, text.role).toString();
    info.seriesIndex = value(row, RoleSeriesIndex).toInt();
    return info;
}

void setBookInfo(QTreeWidgetItem* row, const BookInfo& info)
{
    if (!row)
        return;
    for (const TextField& text : kTextFields)
        setValue(row, text.role, info.*text.field);
    setValue(row, RoleSeriesIndex, info.seriesIndex);
}

QString defaultTitle(const QString& fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

} // namespace taskrow
