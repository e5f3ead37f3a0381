#ifndef VUTREEWIDGET_H
#define VUTREEWIDGET_H

#include "app/bookinfo.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

class HostWindow;
class QTreeWidgetItem;
class VuPageEditorCombobox;
class VuTransitModeComboBox;

// The task list of the main window ("treeWidget"): one top-level item per
// task row (app/taskrow.h). The main window sets up its columns and the
// status painter and hands it the preview, through which the list opens
// the files it adds (page count, password); after adding, the preview holds
// the file opened last.
//
// Two editors of its own float over the "Selected Pages" and "Conversion
// Mode" cells under the pointer and write the user's choice into the row.
// They are hidden while editing is switched off (a run is in progress) and
// when their row leaves the list, and move with their cell. Clicking into
// one, or a choice it writes, makes its row the one selected row.
//
// Construction stores the start values of the new-row preferences
// (newrowsettings.h): Text mode, and the mode dialog on.
//
// GUI thread only.
class VuTreeWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit VuTreeWidget(QWidget* parent = nullptr);
    ~VuTreeWidget() override;

    void setHostWindow(HostWindow* hostWindow);
    HostWindow* hostWindow() const;

    // Adds one row per PDF file, in the given order. A file whose name (no
    // folder, ignoring case) a row already has is refused with a message;
    // files of one call are not compared with each other. A file the
    // preview cannot open or that has no pages is left out; a protected
    // file asks for its password and becomes "Skipped", without a page
    // count, without one. Emits nothing and keeps the selection.
    void addToTable(QStringList files);

    // A row whose password prompt was given up on (taskrow::isLocked) asks
    // for it again through the preview, which then holds that file. True
    // when the row has its password and page count now; otherwise it stays
    // locked and skipped.
    bool unlockLockedRow(QTreeWidgetItem* row);

    // Whether the cell editors may be shown; switching them off hides them.
    void setEditorsEnabled(bool enabled);
    bool editorsEnabled() const { return m_editorsEnabled; }

    // Each selected row with an unselected row above (below) it moves one
    // place; a selected block moves as a whole and stays at the edge. A
    // moved row is a new item with the old one's texts, flags and data; the
    // old item is destroyed, and a widget lying over one of its cells with it.
    void moveSelectedUp();
    void moveSelectedDown();
    bool canMoveUp() const;
    bool canMoveDown() const;

    // Asks first; on Yes destroys every selected row.
    void removeSelected();

    // The one selected row; null with none or several selected.
    QTreeWidgetItem* singleSelectedRow() const;

    // Of the one selected row, else empty: the PDF path and the password
    // exactly as stored, and the page text with surrounding blanks removed.
    QString selectedPdfPath() const;
    QString selectedPassword() const;
    QString selectedPageText() const;
    // Sets the page text of the one selected row through setPageText; false
    // with no row or several rows selected, or when the text was refused.
    bool setSelectedPageText(QString text);

    // Every way into a row's page list: text becomes the row's "Selected
    // Pages" only when taskrow::acceptsPageText holds; otherwise the row
    // keeps its pages and the result is false. New pages of a row that has
    // its book make it idle, so the next "Convert" takes it without the
    // question about converted rows.
    bool setPageText(QTreeWidgetItem* row, const QString& text);

    // Sets the editors' items and the rows' mode and "All" texts in the
    // current language; page lists stay as they are.
    void retranslateCells();

    BookInfo bookInfo(QTreeWidgetItem* row) const;
    void setBookInfo(QTreeWidgetItem* row, BookInfo info);

signals:
    // A drop was handled (whatever it added).
    void sglAddFileFinished();
    // The page text of a row was changed in the list; the page-range
    // controls follow it.
    void sglSyncListToSettings();

public slots:
    // The page editor's text is accepted: it becomes the row's page list.
    void slotTaskFinishedStatusChange(QTreeWidgetItem* row);
    // The mode editor's choice: Text, or Picture through the picture dialog.
    void slotTransitModeChanged(QTreeWidgetItem* row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void fillEditors();
    void placePageEditor(const QModelIndex& index);
    void placeModeEditor(const QModelIndex& index);
    void keepEditorsOverTheirCells();
    void fitColumns(int width);
    void selectEditedRow(QTreeWidgetItem* row, int column);
    void forgetRows(int first, int last);
    void forgetAllRows();
    void moveRow(int from, int to);

    bool hasRowNamed(const QString& fileName) const;
    void refuseListedFiles(QStringList* files);
    void addFile(const QString& path, int* mode, bool* showHint);
    QTreeWidgetItem* appendRow(const QString& path, int pageCount, int mode);
    enum class Unlock { Unlocked, GivenUp, NoPages };
    Unlock unlockRow(QTreeWidgetItem* row, const QString& path);
    void askModeOfNewRow(int* mode, bool* showHint);
    void editPictureSettings(QTreeWidgetItem* row);

    VuPageEditorCombobox* m_pageEditor = nullptr;
    VuTransitModeComboBox* m_modeEditor = nullptr;
    bool m_editorsEnabled = true;
    QPointer<HostWindow> m_hostWindow;
};

#endif
