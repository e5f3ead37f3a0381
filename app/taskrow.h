#ifndef TASKROW_H
#define TASKROW_H

// A task row: one top-level item of the task list and the whole record of
// one conversion task. The visible cells hold the file, its size, its page
// count, the mode and the page list text; everything else lies on the Status
// cell (column 6) as item data under the fixed role numbers below. The
// numbers are literal: Qt::UserRole moved from 32 to 256, and these roles
// keep their old values, between Qt's own roles and UserRole.
//
// Every reader treats an absent role as the type's empty value (0, an empty
// text, a null rectangle); readers accept a null row and give those values,
// writers leave a null row alone. GUI thread only.

#include "app/bookinfo.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class QModelIndex;
class QTreeWidgetItem;

namespace taskrow {

enum Column : int {
    ColumnBlank = 0,          // empty, hidden
    ColumnFileName = 1,       // tooltip: the full path
    ColumnSize = 2,           // utils::sizeToText
    ColumnTotalPages = 3,     // "%1"; empty while a protected file has no accepted password
    ColumnMode = 4,           // "Text" or "Picture"
    ColumnSelectedPages = 5,  // the page list text
    ColumnStatus = 6,         // painted from the status roles; carries the item data
};
constexpr int kColumnCount = 7;

// The header, translated, and the initial width in pixels of a column.
QString columnHeader(int column);
int columnWidth(int column);

enum Role : int {
    RoleStatus = 0x21,         // 33, int, Status below
    RoleProgress = 0x22,       // 34, text, percent with two decimals
    RolePdfPath = 0x48,        // 72, text
    RolePageList = 0x49,       // 73, text list, the pages as computed at task start
    RoleOutputName = 0x4a,     // 74, text, file name with extension
    RoleOutputFolder = 0x4b,   // 75, text, ends in a separator
    RoleArea = 0x4c,           // 76, rectangle, in page pixels at 100 %
    RoleLabelArea = 0x4d,      // 77, rectangle, the picture dialog's own selection
    RoleConversionZoom = 0x4e, // 78, int, 0 = Text mode, n > 0 = Picture mode at n %
    RoleTitle = 0x4f,          // 79 to 87: the BookInfo fields in order
    RoleAuthor = 0x50,
    RoleIsbn = 0x51,
    RolePublisher = 0x52,
    RolePublishDate = 0x53,
    RoleSeries = 0x54,
    RoleSeriesIndex = 0x55,    // 85, int
    RoleComments = 0x56,
    RoleCoverPath = 0x57,
    RolePassword = 0x84,       // 132, text; absent for a file without a password
    RoleUnreadPages = 0x85,    // 133, list of int, the pages an incomplete task could not read
};

enum Status : int {
    StatusNew = 0,         // absent: never queued
    StatusIdle = 52,       // stopped, reset, or a password file just added
    StatusConverting = 53,
    StatusWaiting = 54,
    StatusStop = 55,       // painted only; nothing assigns it
    StatusPause = 56,      // painted only; nothing assigns it
    StatusDone = 57,
    StatusAbort = 58,      // painted only; the queue drops such rows
    StatusSkipped = 59,
    StatusFailed = 60,
    StatusIncomplete = 61, // a book was made, but pages asked for could not be read
};

// The text the Status cell shows for a status, translated; empty for the
// codes that show nothing or a progress bar.
QString statusText(int status);
// The same for a Status cell, where an incomplete row counts its unread
// pages ("Unreadable: 3"), and the cell's tooltip, which names them for an
// incomplete row ("Pages that could not be read: 5,28,30-31") and is empty
// for every other one.
QString statusText(const QModelIndex& cell);
QString statusTip(const QModelIndex& cell);

// The pages an incomplete task could not read, rising.
QList<int> unreadPages(const QTreeWidgetItem* row);
void setUnreadPages(QTreeWidgetItem* row, const QList<int>& pages);

int status(const QTreeWidgetItem* row);
void setStatus(QTreeWidgetItem* row, int status);
// Whether the row's last run made its book, whole (done) or without pages it
// could not read (incomplete). Such a row counts as converted everywhere:
// the queue asks before converting it again, a stop leaves it as it is, and
// new pages make it idle.
bool hasBook(const QTreeWidgetItem* row);
QString progressText(const QTreeWidgetItem* row);
void setProgressText(QTreeWidgetItem* row, const QString& text);

QString pdfPath(const QTreeWidgetItem* row);
void setPdfPath(QTreeWidgetItem* row, const QString& path);
QStringList pageList(const QTreeWidgetItem* row);
void setPageList(QTreeWidgetItem* row, const QStringList& pages);
QString outputName(const QTreeWidgetItem* row);
void setOutputName(QTreeWidgetItem* row, const QString& name);
QString outputFolder(const QTreeWidgetItem* row);
void setOutputFolder(QTreeWidgetItem* row, const QString& folder);

QRect area(const QTreeWidgetItem* row);
void setArea(QTreeWidgetItem* row, const QRect& area);
QRect labelArea(const QTreeWidgetItem* row);
void setLabelArea(QTreeWidgetItem* row, const QRect& area);
int conversionZoom(const QTreeWidgetItem* row);
void setConversionZoom(QTreeWidgetItem* row, int zoom);

// The password is absent for a file without one, which differs from an
// accepted empty password.
bool hasPassword(const QTreeWidgetItem* row);
QString password(const QTreeWidgetItem* row);
void setPassword(QTreeWidgetItem* row, const QString& password);

// The page count from column 3 and the page list text from column 5: no role
// holds either.
int pageCount(const QTreeWidgetItem* row);
// The row's PDF needs a password that was not given: it has no page count.
bool isLocked(const QTreeWidgetItem* row);
QString pageText(const QTreeWidgetItem* row);
// Whether text may be the row's page list: the strict check against the
// row's page count, which every way into a row's page list goes through and
// which the queue applies once more. A text that passes turns into pages.
bool acceptsPageText(const QTreeWidgetItem* row, const QString& text);

// Field k of the record is the row's role 79 + k: text for the eight text
// fields, int for seriesIndex. Writing stores all nine, so afterwards every
// one of them is present, the empty ones as empty values.
BookInfo bookInfo(const QTreeWidgetItem* row);
void setBookInfo(QTreeWidgetItem* row, const BookInfo& info);

// The title a new row starts with: the file name up to its last ".", or all
// of it when it has none.
QString defaultTitle(const QString& fileName);

} // namespace taskrow

#endif
