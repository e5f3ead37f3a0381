#include "app/vutreewidget.h"

#include "app/celltexts.h"
#include "app/newrowsettings.h"
#include "app/taskrow.h"
#include "app/vupageeditorcombobox.h"
#include "app/vutransitmodecombobox.h"
#include "convert/logwriter.h"
#include "convert/pagelist.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupref.h"
#include "preview/hostwindow.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace {

const char kSource[] = ".\\vutreewidget";

// The narrowest the "File Name" column gets when the list is resized.
constexpr int kMinimumNameWidth = 150;

// The editors lie in the viewport, with the cells: scrolling moves them
// along, and the viewport cuts off what passes its edge instead of letting
// an editor cover the header or a scroll bar.
template <typename Editor>
Editor* makeEditor(VuTreeWidget* list, const char* objectName)
{
    auto* editor = new Editor(list->viewport());
    editor->setEnabled(true);
    editor->setObjectName(QLatin1String(objectName));
    editor->setContentsMargins(0, 0, 0, 0);
    editor->hide();
    editor->installEventFilter(list);
    return editor;
}

} // namespace

VuTreeWidget::VuTreeWidget(QWidget* parent)
    : QTreeWidget(parent)
{
    setMouseTracking(true);
    setAcceptDrops(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);

    m_pageEditor = makeEditor<VuPageEditorCombobox>(this, "item_combox");
    m_modeEditor = makeEditor<VuTransitModeComboBox>(this, "item_combobox_mode_selector");
    // A click into the page field lands on the editor's line edit.
    m_pageEditor->lineEdit()->installEventFilter(this);
    fillEditors();

    connect(m_pageEditor, &VuPageEditorCombobox::sglTextChange, this,
            &VuTreeWidget::slotTaskFinishedStatusChange);
    connect(m_modeEditor, &VuTransitModeComboBox::sglTextChange, this,
            &VuTreeWidget::slotTransitModeChanged);
    // An editor must never write into a row that is gone.
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (!parent.isValid())
                    forgetRows(first, last);
            });
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, &VuTreeWidget::forgetAllRows);

    VuPref::setValue(QLatin1String(newrowsettings::kModeKey), newrowsettings::kTextMode);
    VuPref::setValue(QLatin1String(newrowsettings::kShowHintKey), true);
}

VuTreeWidget::~VuTreeWidget()
{
    // The model empties itself and the editors go with the base classes,
    // when this class is gone: nothing of theirs may reach it then, nor the
    // events of one editor's end reach the filter after the other's.
    disconnect(model(), nullptr, this, nullptr);
    m_pageEditor->lineEdit()->removeEventFilter(this);
    m_pageEditor->removeEventFilter(this);
    m_modeEditor->removeEventFilter(this);
    delete m_pageEditor;
    delete m_modeEditor;
}

void VuTreeWidget::setHostWindow(HostWindow* hostWindow)
{
    m_hostWindow = hostWindow;
}

HostWindow* VuTreeWidget::hostWindow() const
{
    return m_hostWindow;
}

void VuTreeWidget::fillEditors()
{
    {
        const QSignalBlocker blocker(m_pageEditor);
        m_pageEditor->clear();
        m_pageEditor->addItems({ utils::allPagesText(), celltexts::pagesHint() });
    }
    const QSignalBlocker blocker(m_modeEditor);
    m_modeEditor->clear();
    m_modeEditor->addItems({ celltexts::textMode(), celltexts::pictureMode() });
}

void VuTreeWidget::setEditorsEnabled(bool enabled)
{
    m_editorsEnabled = enabled;
    // An editor left over a row would still change it while it is queued
    // or being converted.
    if (!enabled) {
        m_pageEditor->hide();
        m_modeEditor->hide();
    }
}

// An open editor stays over its cell when the list scrolls, its columns
// change width or rows come and go above it.
void VuTreeWidget::keepEditorsOverTheirCells()
{
    if (m_pageEditor->isVisible() && m_pageEditor->row())
        m_pageEditor->setGeometry(visualRect(indexFromItem(m_pageEditor->row(), taskrow::ColumnSelectedPages)));
    if (m_modeEditor->isVisible() && m_modeEditor->row())
        m_modeEditor->setGeometry(visualRect(indexFromItem(m_modeEditor->row(), taskrow::ColumnMode)));
}

void VuTreeWidget::scrollContentsBy(int dx, int dy)
{
    QTreeWidget::scrollContentsBy(dx, dy);
    keepEditorsOverTheirCells();
}

void VuTreeWidget::updateGeometries()
{
    QTreeWidget::updateGeometries();
    keepEditorsOverTheirCells();
}

// The row being edited is the one selected row, so the preview and the page
// controls show the file that is being edited. The edited cell becomes the
// current one, which keeps the view from scrolling away from it.
void VuTreeWidget::selectEditedRow(QTreeWidgetItem* row, int column)
{
    if (row)
        setCurrentItem(row, column, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void VuTreeWidget::placePageEditor(const QModelIndex& index)
{
    QTreeWidgetItem* row = itemFromIndex(index);
    m_pageEditor->setGeometry(visualRect(index));
    m_pageEditor->setRow(row);
    const QSignalBlocker blocker(m_pageEditor);
    m_pageEditor->show();
    m_pageEditor->raise();
    m_pageEditor->setItemData(0, row->text(taskrow::ColumnTotalPages),
                              VuPageEditorCombobox::kPageCountRole);
    m_pageEditor->showText(taskrow::pageText(row));
    QLineEdit* field = m_pageEditor->lineEdit();
    field->setFocus(Qt::OtherFocusReason);
    field->end(false);
    field->selectAll();
}

void VuTreeWidget::placeModeEditor(const QModelIndex& index)
{
    QTreeWidgetItem* row = itemFromIndex(index);
    m_modeEditor->setGeometry(visualRect(index));
    m_modeEditor->setRow(row);
    m_modeEditor->show();
    m_modeEditor->raise();
    const QString mode = row->text(taskrow::ColumnMode);
    const QSignalBlocker blocker(m_modeEditor);
    if (mode == celltexts::pictureMode())
        m_modeEditor->setCurrentIndex(1);
    else if (mode == celltexts::textMode())
        m_modeEditor->setCurrentIndex(0);
}

void VuTreeWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (m_editorsEnabled && index.isValid() && index.column() == taskrow::ColumnSelectedPages)
        placePageEditor(index);
    else
        m_pageEditor->hide();
    if (m_editorsEnabled && index.isValid() && index.column() == taskrow::ColumnMode)
        placeModeEditor(index);
    else
        m_modeEditor->hide();
    QTreeWidget::mouseMoveEvent(event);
}

void VuTreeWidget::mousePressEvent(QMouseEvent* event)
{
    const bool leftOrRight = event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
    if (leftOrRight && !indexAt(event->position().toPoint()).isValid())
        setCurrentIndex(QModelIndex());
    QTreeWidget::mousePressEvent(event);
}

// The event is the viewport's: the frame and a vertical scroll bar make it
// narrower than the list. The columns are fitted to it whenever its width
// changes, the first showing included.
void VuTreeWidget::resizeEvent(QResizeEvent* event)
{
    const int width = event->size().width();
    if (width > 0 && width != event->oldSize().width())
        fitColumns(width);
    QTreeWidget::resizeEvent(event);
}

// "File Name" takes the room that the columns between it and the last one
// leave beside the last one's own width, but never less than its minimum;
// the last column then takes whatever is left, so at the window's sizes no
// column passes the edge of the viewport.
void VuTreeWidget::fitColumns(int width)
{
    const int last = header()->count() - 1;
    if (last <= taskrow::ColumnFileName)
        return;
    int middle = 0;
    for (int column = 0; column < last; ++column) {
        if (column != taskrow::ColumnFileName)
            middle += header()->sectionSize(column);
    }
    const int name = std::max(kMinimumNameWidth, width - middle - taskrow::columnWidth(last));
    setColumnWidth(taskrow::ColumnFileName, name);
    setColumnWidth(last, std::max(header()->minimumSectionSize(), width - middle - name));
}

// Watches the two editors and never takes an event from them; whatever else
// the view watches goes on to the base class. A click into an editor starts
// editing its row.
bool VuTreeWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_modeEditor && event->type() == QEvent::Leave) {
        if (!m_modeEditor->view()->isVisible())
            m_modeEditor->hide();
        else if (!m_pageEditor->view()->isVisible())
            m_pageEditor->hide();
    }
    const bool pageEditor = watched == m_pageEditor || watched == m_pageEditor->lineEdit();
    if (event->type() == QEvent::MouseButtonPress) {
        if (pageEditor)
            selectEditedRow(m_pageEditor->row(), taskrow::ColumnSelectedPages);
        else if (watched == m_modeEditor)
            selectEditedRow(m_modeEditor->row(), taskrow::ColumnMode);
    }
    if (watched == m_modeEditor || pageEditor)
        return false;
    return QTreeWidget::eventFilter(watched, event);
}

void VuTreeWidget::forgetRows(int first, int last)
{
    for (int at = first; at <= last; ++at) {
        QTreeWidgetItem* row = topLevelItem(at);
        if (row && m_pageEditor->row() == row) {
            m_pageEditor->hide();
            m_pageEditor->setRow(nullptr);
        }
        if (row && m_modeEditor->row() == row) {
            m_modeEditor->hide();
            m_modeEditor->setRow(nullptr);
        }
    }
}

void VuTreeWidget::forgetAllRows()
{
    m_pageEditor->hide();
    m_pageEditor->setRow(nullptr);
    m_modeEditor->hide();
    m_modeEditor->setRow(nullptr);
}

void VuTreeWidget::slotTaskFinishedStatusChange(QTreeWidgetItem* row)
{
    if (!row) {
        writeLogSite(kSource, __LINE__, "VuTreeWidget::slotTaskFinishedStatusChange");
        writeLogLine("%s", "VuTreeWidget::slotTaskFinishedStatusChange item");
        return;
    }
    if (!setPageText(row, m_pageEditor->currentText()))
        return;
    selectEditedRow(row, taskrow::ColumnSelectedPages);
    emit sglSyncListToSettings();
}

void VuTreeWidget::slotTransitModeChanged(QTreeWidgetItem* row)
{
    if (!row) {
        writeLogEntry(kSource, __LINE__, "VuTreeWidget::slotTransitModeChanged");
        return;
    }
    const QString mode = m_modeEditor->currentText();
    row->setText(taskrow::ColumnMode, mode);
    selectEditedRow(row, taskrow::ColumnMode);
    if (mode == celltexts::textMode()) {
        // The page area stays for the next time Picture is chosen.
        taskrow::setConversionZoom(row, 0);
    } else if (mode == celltexts::pictureMode()) {
        m_modeEditor->hide();
        editPictureSettings(row);
        // The row converts as Text while its zoom reads 0, so its cell says
        // so: a dialog cancelled on a Text row leaves it a Text row.
        if (taskrow::conversionZoom(row) == 0) {
            m_modeEditor->setCurrentIndex(0);
            row->setText(taskrow::ColumnMode, celltexts::textMode());
        }
    }
}

QTreeWidgetItem* VuTreeWidget::singleSelectedRow() const
{
    const QList<QTreeWidgetItem*> rows = selectedItems();
    return rows.size() == 1 ? rows.first() : nullptr;
}

// Neither is trimmed: a file name and a password may begin or end with
// blanks, and a trimmed one names another file or fails to open it.
QString VuTreeWidget::selectedPdfPath() const
{
    return taskrow::pdfPath(singleSelectedRow());
}

QString VuTreeWidget::selectedPassword() const
{
    return taskrow::password(singleSelectedRow());
}

QString VuTreeWidget::selectedPageText() const
{
    return taskrow::pageText(singleSelectedRow()).trimmed();
}

bool VuTreeWidget::setSelectedPageText(QString text)
{
    return setPageText(singleSelectedRow(), text);
}

// Merely leaving an editor, or writing back the pages a row has, is no new
// choice and keeps a converted row's status.
bool VuTreeWidget::setPageText(QTreeWidgetItem* row, const QString& text)
{
    if (!taskrow::acceptsPageText(row, text))
        return false;
    // An empty text and "All" both name every page.
    const QString old = taskrow::pageText(row);
    const bool changed = text != old && !(utils::isAllPagesText(text) && utils::isAllPagesText(old));
    row->setText(taskrow::ColumnSelectedPages, text);
    if (changed && taskrow::hasBook(row))
        taskrow::setStatus(row, taskrow::StatusIdle);
    viewport()->update();
    return true;
}

void VuTreeWidget::moveRow(int from, int to)
{
    QTreeWidgetItem* moved = topLevelItem(from);
    QTreeWidgetItem* copy = moved->clone();
    delete takeTopLevelItem(from);
    insertTopLevelItem(to, copy);
    copy->setSelected(true);
}

void VuTreeWidget::moveSelectedUp()
{
    for (int at = 1; at < topLevelItemCount(); ++at) {
        if (topLevelItem(at)->isSelected() && !topLevelItem(at - 1)->isSelected())
            moveRow(at, at - 1);
    }
}

void VuTreeWidget::moveSelectedDown()
{
    for (int at = topLevelItemCount() - 2; at >= 0; --at) {
        if (topLevelItem(at)->isSelected() && !topLevelItem(at + 1)->isSelected())
            moveRow(at, at + 1);
    }
}

bool VuTreeWidget::canMoveUp() const
{
    for (int at = 1; at < topLevelItemCount(); ++at) {
        if (topLevelItem(at)->isSelected() && !topLevelItem(at - 1)->isSelected())
            return true;
    }
    return false;
}

bool VuTreeWidget::canMoveDown() const
{
    for (int at = topLevelItemCount() - 2; at >= 0; --at) {
        if (topLevelItem(at)->isSelected() && !topLevelItem(at + 1)->isSelected())
            return true;
    }
    return false;
}

void VuTreeWidget::removeSelected()
{
    const QMessageBox::StandardButton answer = VuMessageBox::question(
        tr("Are you sure you want to remove the selected items from the list?"), VuPref::product_name(),
        QMessageBox::Yes | QMessageBox::No, this, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    const QList<QTreeWidgetItem*> rows = selectedItems();
    qDeleteAll(rows);
}

void VuTreeWidget::retranslateCells()
{
    // Refilling changes an editor's text under it: it shows again, with the
    // new words, when the pointer next comes over a cell.
    m_pageEditor->hide();
    m_modeEditor->hide();
    fillEditors();
    // A page list holds digits, "-" or ","; anything else is the old word
    // for every page.
    static const QRegularExpression pageListCharacter(QStringLiteral("[\\d,-]"));
    for (int at = 0; at < topLevelItemCount(); ++at) {
        QTreeWidgetItem* row = topLevelItem(at);
        if (!taskrow::pageText(row).contains(pageListCharacter))
            row->setText(taskrow::ColumnSelectedPages, utils::allPagesText());
        row->setText(taskrow::ColumnMode, celltexts::modeForZoom(taskrow::conversionZoom(row)));
    }
}

BookInfo VuTreeWidget::bookInfo(QTreeWidgetItem* row) const
{
    return taskrow::bookInfo(row);
}

void VuTreeWidget::setBookInfo(QTreeWidgetItem* row, BookInfo info)
{
    taskrow::setBookInfo(row, info);
}
