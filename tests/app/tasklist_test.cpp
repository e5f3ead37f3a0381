// The task list: adding PDF files as rows (defaults, duplicates, files the
// preview cannot open, passwords), drops, moving and removing rows, the
// selected row's values, retranslation and the width of "File Name".
#include "app/celltexts.h"
#include "convert/utils.h"
#include "modalanswers.h"
#include "tasklistfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace {

const QString kInvalidPages = QStringLiteral("Invalid format or out of range!");

QString duplicateMessage(const QString& name)
{
    return QStringLiteral("The file \"%1\" has already existed in the list.").arg(name);
}

QString notValidMessage(const QString& path)
{
    return QStringLiteral("%1 is not a valid PDF file.").arg(path);
}

QVariant roleOf(QTreeWidgetItem* item, int role)
{
    return item->data(taskrow::ColumnStatus, role);
}

// A PDF whose page tree claims no pages: the count is changed in place, so
// the cross-reference table stays right.
void claimNoPages(const QString& path)
{
    QByteArray bytes = testfiles::readAll(path);
    const qsizetype at = bytes.indexOf("/Count ");
    ASSERT_GE(at, 0);
    qsizetype digit = at + 7;
    while (digit < bytes.size() && QChar::fromLatin1(bytes.at(digit)).isDigit())
        bytes[digit++] = '0';
    ASSERT_TRUE(testfiles::writeAll(path, bytes));
}

using TaskListAdd = TaskListTest;

TEST_F(TaskListAdd, ARowHoldsTheFileAndTheDefaultsOfANewTask)
{
    const QString first = pdf(QStringLiteral("first.pdf"), 3);
    const QString second = pdf(QStringLiteral("sub/Second Book.pdf"), 12);
    ModalAnswers none;
    m_list->addToTable({ first, second });
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    ASSERT_EQ(rowCount(), 2);

    QTreeWidgetItem* added = row(1);
    EXPECT_EQ(added->text(taskrow::ColumnBlank), QString());
    EXPECT_EQ(added->text(taskrow::ColumnFileName), QStringLiteral("Second Book.pdf"));
    EXPECT_EQ(added->toolTip(taskrow::ColumnFileName), second);
    EXPECT_EQ(added->text(taskrow::ColumnSize), utils::sizeToText(QFileInfo(second).size()));
    EXPECT_TRUE(added->text(taskrow::ColumnSize).endsWith(QLatin1String("KB")));
    EXPECT_EQ(added->text(taskrow::ColumnTotalPages), QStringLiteral("12"));
    EXPECT_EQ(row(0)->text(taskrow::ColumnTotalPages), QStringLiteral("3"));
    EXPECT_EQ(added->text(taskrow::ColumnMode), QStringLiteral("Text"));
    EXPECT_EQ(added->text(taskrow::ColumnSelectedPages), QStringLiteral("All"));

    EXPECT_EQ(taskrow::pdfPath(added), second);
    EXPECT_FALSE(roleOf(added, taskrow::RoleConversionZoom).isValid());
    EXPECT_FALSE(roleOf(added, taskrow::RoleStatus).isValid());
    EXPECT_FALSE(roleOf(added, taskrow::RolePassword).isValid());
    EXPECT_FALSE(roleOf(added, taskrow::RoleSeriesIndex).isValid());
    EXPECT_FALSE(roleOf(added, taskrow::RoleArea).isValid());
    EXPECT_EQ(roleOf(added, taskrow::RoleTitle).toString(), QStringLiteral("Second Book"));
    for (const int role : { taskrow::RoleAuthor, taskrow::RoleIsbn, taskrow::RolePublisher,
                            taskrow::RolePublishDate, taskrow::RoleSeries, taskrow::RoleComments,
                            taskrow::RoleCoverPath }) {
        EXPECT_TRUE(roleOf(added, role).isValid()) << role;
        EXPECT_EQ(roleOf(added, role).toString(), QString()) << role;
    }

    // Adding opens each file in the preview, which keeps the last one.
    EXPECT_EQ(m_host->countPage(), 12);
    EXPECT_TRUE(m_list->selectedItems().isEmpty());
}

TEST_F(TaskListAdd, TheTitleIsTheFileNameUpToItsLastDot)
{
    const QString dotted = pdf(QStringLiteral("report.final.pdf"), 1);
    const QString plain = pdf(QStringLiteral("scan"), 1);
    m_list->addToTable({ dotted, plain });
    ASSERT_EQ(rowCount(), 2);
    EXPECT_EQ(m_list->bookInfo(row(0)).title, QStringLiteral("report.final"));
    EXPECT_EQ(m_list->bookInfo(row(1)).title, QStringLiteral("scan"));
    EXPECT_EQ(m_list->bookInfo(row(1)).author, QString());
}

TEST_F(TaskListAdd, PictureModeByDefaultZoomsTo100WithoutAnArea)
{
    VuPref::setValue(QStringLiteral("selected_mode"), 1);
    m_list->addToTable({ pdf(QStringLiteral("pictures.pdf"), 2) });
    ASSERT_EQ(rowCount(), 1);
    EXPECT_EQ(row(0)->text(taskrow::ColumnMode), QStringLiteral("Picture"));
    EXPECT_EQ(roleOf(row(0), taskrow::RoleConversionZoom).toInt(), 100);
    EXPECT_FALSE(roleOf(row(0), taskrow::RoleArea).isValid());
}

TEST_F(TaskListAdd, AnUnknownStoredModeLeavesTheModeEmptyAndIsLogged)
{
    VuPref::setValue(QStringLiteral("selected_mode"), 7);
    const int before = logCount(QStringLiteral("VuTreeWidget::addToTable"));
    m_list->addToTable({ pdf(QStringLiteral("odd.pdf"), 2) });
    ASSERT_EQ(rowCount(), 1);
    EXPECT_EQ(row(0)->text(taskrow::ColumnMode), QString());
    EXPECT_EQ(taskrow::conversionZoom(row(0)), 0);
    EXPECT_EQ(logCount(QStringLiteral("VuTreeWidget::addToTable")), before + 1);
}

TEST_F(TaskListAdd, TheStartValuesOfTheNewRowPreferencesAreStoredAtConstruction)
{
    VuPref::setValue(QStringLiteral("selected_mode"), 1);
    VuPref::setValue(QStringLiteral("last_show_hint"), false);
    VuTreeWidget fresh;
    EXPECT_EQ(VuPref::value(QStringLiteral("selected_mode")).toInt(), 0);
    EXPECT_TRUE(VuPref::value(QStringLiteral("last_show_hint")).toBool());
    EXPECT_TRUE(fresh.acceptDrops());
    EXPECT_TRUE(fresh.hasMouseTracking());
    EXPECT_EQ(fresh.selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(TaskListAdd, AFileNamedLikeARowIsRefusedIgnoringCase)
{
    m_list->addToTable({ pdf(QStringLiteral("one/Report.pdf"), 2) });
    const QString twin = pdf(QStringLiteral("two/REPORT.PDF"), 3);
    const QString other = pdf(QStringLiteral("two/other.pdf"), 4);
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    m_list->addToTable({ twin, other });
    EXPECT_EQ(answers.texts(), QStringList({ duplicateMessage(QStringLiteral("REPORT.PDF")) }));
    EXPECT_EQ(answers.titles(), QStringList({ VuPref::product_name() }));
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(names(), QStringList({ QStringLiteral("Report.pdf"), QStringLiteral("other.pdf") }));
}

TEST_F(TaskListAdd, FilesOfOneCallAreNotComparedWithEachOther)
{
    const QString a = pdf(QStringLiteral("one/same.pdf"), 1);
    const QString b = pdf(QStringLiteral("two/same.pdf"), 1);
    ModalAnswers none;
    m_list->addToTable({ a, b });
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    EXPECT_EQ(rowCount(), 2);
}

TEST_F(TaskListAdd, AFileThePreviewCannotOpenIsLeftOut)
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.pdf"));
    const QString good = pdf(QStringLiteral("good.pdf"), 2);
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    m_list->addToTable({ missing, good });
    EXPECT_EQ(answers.texts(), QStringList({ QStringLiteral("Failed to open PDF file \"%1\".").arg(missing) }));
    EXPECT_EQ(names(), QStringList({ QStringLiteral("good.pdf") }));
}

TEST_F(TaskListAdd, AFileWithoutPagesIsNoValidPdf)
{
    const QString empty = pdf(QStringLiteral("empty.pdf"), 1);
    claimNoPages(empty);
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    m_list->addToTable({ empty });
    EXPECT_EQ(answers.texts(), QStringList({ notValidMessage(empty) }));
    EXPECT_EQ(rowCount(), 0);
}

TEST_F(TaskListAdd, WithoutAPreviewNothingIsAdded)
{
    VuTreeWidget alone;
    alone.addToTable({ pdf(QStringLiteral("a.pdf"), 1) });
    EXPECT_EQ(alone.topLevelItemCount(), 0);
}

// Answers the mode dialog: the mode to choose and whether to tick "Do not
// show this message again".
ModalAnswers::Answer chooseMode(int mode, bool tick)
{
    return [mode, tick](QWidget* window) {
        auto* modes = window->findChild<QComboBox*>(QStringLiteral("comboboxMode"));
        auto* box = window->findChild<QCheckBox*>(QStringLiteral("checkBox"));
        if (!modes || !box) {
            window->close();
            return;
        }
        modes->setCurrentIndex(mode);
        box->setChecked(tick);
        pressButton(QStringLiteral("OK"))(window);
    };
}

using TaskListModeDialog = TaskListTest;

TEST_F(TaskListModeDialog, AskedForEveryFileUntilTheBoxIsTicked)
{
    VuPref::setValue(QStringLiteral("last_show_hint"), true);
    const QStringList paths = { pdf(QStringLiteral("a.pdf"), 1), pdf(QStringLiteral("b.pdf"), 1),
                                pdf(QStringLiteral("c.pdf"), 1) };
    {
        ModalAnswers answers({ chooseMode(0, false), chooseMode(1, false), chooseMode(0, false) });
        m_list->addToTable(paths);
        EXPECT_EQ(answers.answered(), 3);
        EXPECT_EQ(answers.unexpected(), 0);
    }
    ASSERT_EQ(rowCount(), 3);
    EXPECT_EQ(row(0)->text(taskrow::ColumnMode), QStringLiteral("Text"));
    EXPECT_EQ(row(1)->text(taskrow::ColumnMode), QStringLiteral("Picture"));
    EXPECT_EQ(taskrow::conversionZoom(row(1)), 100);
    EXPECT_EQ(row(2)->text(taskrow::ColumnMode), QStringLiteral("Text"));
    EXPECT_EQ(VuPref::value(QStringLiteral("selected_mode")).toInt(), 0);
    EXPECT_TRUE(VuPref::value(QStringLiteral("last_show_hint")).toBool());
}

TEST_F(TaskListModeDialog, TheTickedChoiceHoldsForTheFollowingFilesAndLaterCalls)
{
    VuPref::setValue(QStringLiteral("last_show_hint"), true);
    const QString missing = m_dir.filePath(QStringLiteral("missing.pdf"));
    {
        // The file the preview cannot open is not asked for.
        ModalAnswers answers({ pressButton(QStringLiteral("OK")), chooseMode(1, true) });
        m_list->addToTable({ missing, pdf(QStringLiteral("a.pdf"), 1), pdf(QStringLiteral("b.pdf"), 1) });
        EXPECT_EQ(answers.answered(), 2);
        EXPECT_EQ(answers.unexpected(), 0);
    }
    EXPECT_EQ(VuPref::value(QStringLiteral("selected_mode")).toInt(), 1);
    EXPECT_FALSE(VuPref::value(QStringLiteral("last_show_hint")).toBool());
    ModalAnswers none;
    m_list->addToTable({ pdf(QStringLiteral("c.pdf"), 1) });
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    ASSERT_EQ(rowCount(), 3);
    for (int at = 0; at < rowCount(); ++at) {
        EXPECT_EQ(row(at)->text(taskrow::ColumnMode), QStringLiteral("Picture")) << at;
        EXPECT_EQ(taskrow::conversionZoom(row(at)), 100) << at;
    }
}

using TaskListPassword = TaskListTest;

TEST_F(TaskListPassword, TheAcceptedPasswordIsKeptAsTyped)
{
    // Blanks around a password belong to it.
    const QString password = QStringLiteral(" geheim ");
    const QString path = pdf(QStringLiteral("locked.pdf"), 6, password);
    ModalAnswers answers({ typeAndPress(QStringLiteral("wrong"), QStringLiteral("OK")),
                           typeAndPress(password, QStringLiteral("OK")) });
    m_list->addToTable({ path });
    EXPECT_EQ(answers.answered(), 2);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_TRUE(answers.texts().value(0).endsWith(path));
    ASSERT_EQ(rowCount(), 1);
    EXPECT_EQ(row(0)->text(taskrow::ColumnTotalPages), QStringLiteral("6"));
    EXPECT_EQ(taskrow::status(row(0)), int(taskrow::StatusIdle));
    EXPECT_EQ(roleOf(row(0), taskrow::RolePassword).toString(), password);

    row(0)->setSelected(true);
    EXPECT_EQ(m_list->selectedPassword(), password);
    // What the preview is given back opens the file.
    EXPECT_TRUE(m_host->openPDF(m_list->selectedPdfPath(), m_list->selectedPassword()));
    EXPECT_EQ(m_host->countPage(), 6);
}

TEST_F(TaskListPassword, ThreeWrongPasswordsSkipTheRow)
{
    const QString path = pdf(QStringLiteral("locked.pdf"), 2, QStringLiteral("right"));
    ModalAnswers answers({ typeAndPress(QStringLiteral("a"), QStringLiteral("OK")),
                           typeAndPress(QStringLiteral("b"), QStringLiteral("OK")),
                           typeAndPress(QStringLiteral("c"), QStringLiteral("OK")) });
    m_list->addToTable({ path });
    EXPECT_EQ(answers.answered(), 3);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(rowCount(), 1);
    EXPECT_EQ(row(0)->text(taskrow::ColumnTotalPages), QString());
    EXPECT_EQ(taskrow::status(row(0)), int(taskrow::StatusSkipped));
    EXPECT_FALSE(taskrow::hasPassword(row(0)));
}

TEST_F(TaskListPassword, AGivenUpPromptSkipsTheRowAndTheNextFileGoesOn)
{
    const QString locked = pdf(QStringLiteral("locked.pdf"), 2, QStringLiteral("right"));
    const QString plain = pdf(QStringLiteral("plain.pdf"), 5);
    ModalAnswers answers({ pressButton(QStringLiteral("Cancel")) });
    m_list->addToTable({ locked, plain });
    EXPECT_EQ(answers.answered(), 1);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(rowCount(), 2);
    EXPECT_EQ(taskrow::status(row(0)), int(taskrow::StatusSkipped));
    EXPECT_EQ(row(0)->text(taskrow::ColumnTotalPages), QString());
    EXPECT_FALSE(roleOf(row(1), taskrow::RoleStatus).isValid());
    EXPECT_EQ(row(1)->text(taskrow::ColumnTotalPages), QStringLiteral("5"));
}

TEST_F(TaskListPassword, AnUnlockedFileWithoutPagesIsRefused)
{
    const QString path = pdf(QStringLiteral("locked.pdf"), 1, QStringLiteral("right"));
    claimNoPages(path);
    ModalAnswers answers({ typeAndPress(QStringLiteral("right"), QStringLiteral("OK")),
                           pressButton(QStringLiteral("OK")) });
    m_list->addToTable({ path });
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(answers.texts().value(1), notValidMessage(path));
    EXPECT_EQ(rowCount(), 0);
}

// Drops, as a file manager sends them.
class TaskListDrop : public TaskListTest {
protected:
    void drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        dropData(&data);
    }

    void dropData(QMimeData* data)
    {
        const QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_list->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_list->viewport(), &move);
        EXPECT_TRUE(move.isAccepted());
        QDropEvent dropped(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_list->viewport(), &dropped);
    }
};

TEST_F(TaskListDrop, OnlyPdfFilesAreAdded)
{
    const QString lower = pdf(QStringLiteral("lower.pdf"), 2);
    const QString upper = pdf(QStringLiteral("UPPER.PDF"), 3);
    const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(testfiles::writeAll(text, QByteArray("notes")));
    QSignalSpy finished(m_list, &VuTreeWidget::sglAddFileFinished);
    const int before = logCount(QStringLiteral("no pdf file"));

    drop({ QUrl::fromLocalFile(m_dir.path()), QUrl::fromLocalFile(lower), QUrl::fromLocalFile(text),
           QUrl::fromLocalFile(upper) });
    EXPECT_EQ(names(), QStringList({ QStringLiteral("lower.pdf"), QStringLiteral("UPPER.PDF") }));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(logCount(QStringLiteral("no pdf file")), before + 2);
}

TEST_F(TaskListDrop, ADropWithoutPdfFilesStillFinishes)
{
    QSignalSpy finished(m_list, &VuTreeWidget::sglAddFileFinished);
    drop({ QUrl::fromLocalFile(m_dir.path()), QUrl(QStringLiteral("https://example.org/book.pdf")) });
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(TaskListDrop, ADroppedFileGoesThroughTheSameChecks)
{
    addRows({ QStringLiteral("kept.pdf") });
    const QString twin = pdf(QStringLiteral("other/KEPT.pdf"), 1);
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    drop({ QUrl::fromLocalFile(twin) });
    EXPECT_EQ(answers.texts(), QStringList({ duplicateMessage(QStringLiteral("KEPT.pdf")) }));
    EXPECT_EQ(rowCount(), 1);
}

TEST_F(TaskListDrop, RowsOfAnotherItemViewAreNotTakenOver)
{
    QTreeWidget other;
    other.setColumnCount(2);
    auto* foreign = new QTreeWidgetItem(&other, QStringList({ QStringLiteral("x"), QStringLiteral("y") }));
    std::unique_ptr<QMimeData> data(other.model()->mimeData({ other.indexFromItem(foreign) }));
    ASSERT_TRUE(data);
    dropData(data.get());
    EXPECT_EQ(rowCount(), 0);
}

using TaskListMove = TaskListTest;

TEST_F(TaskListMove, ASelectedBlockMovesUpAsAWholeAndStopsAtTheTop)
{
    addRows({ QStringLiteral("1.pdf"), QStringLiteral("2.pdf"), QStringLiteral("3.pdf"),
              QStringLiteral("4.pdf"), QStringLiteral("5.pdf") });
    row(1)->setSelected(true);
    row(2)->setSelected(true);
    EXPECT_TRUE(m_list->canMoveUp());
    m_list->moveSelectedUp();
    const QStringList moved = { QStringLiteral("2.pdf"), QStringLiteral("3.pdf"), QStringLiteral("1.pdf"),
                                QStringLiteral("4.pdf"), QStringLiteral("5.pdf") };
    EXPECT_EQ(names(), moved);
    EXPECT_TRUE(row(0)->isSelected());
    EXPECT_TRUE(row(1)->isSelected());
    EXPECT_EQ(m_list->selectedItems().size(), 2);
    EXPECT_FALSE(m_list->canMoveUp());
    EXPECT_TRUE(m_list->canMoveDown());
    m_list->moveSelectedUp();
    EXPECT_EQ(names(), moved);
}

TEST_F(TaskListMove, SeparateRowsMoveDownEachByOnePlace)
{
    addRows({ QStringLiteral("1.pdf"), QStringLiteral("2.pdf"), QStringLiteral("3.pdf"),
              QStringLiteral("4.pdf") });
    row(0)->setSelected(true);
    row(3)->setSelected(true);
    EXPECT_TRUE(m_list->canMoveDown());
    m_list->moveSelectedDown();
    EXPECT_EQ(names(), QStringList({ QStringLiteral("2.pdf"), QStringLiteral("1.pdf"), QStringLiteral("3.pdf"),
                                     QStringLiteral("4.pdf") }));
    m_list->moveSelectedDown();
    m_list->moveSelectedDown();
    EXPECT_EQ(names(), QStringList({ QStringLiteral("2.pdf"), QStringLiteral("3.pdf"), QStringLiteral("1.pdf"),
                                     QStringLiteral("4.pdf") }));
    EXPECT_FALSE(m_list->canMoveDown());
    EXPECT_TRUE(m_list->canMoveUp());
}

TEST_F(TaskListMove, AMovedRowKeepsItsDataButNotItsLink)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") });
    QTreeWidgetItem* done = row(1);
    taskrow::setStatus(done, taskrow::StatusDone);
    taskrow::setPassword(done, QStringLiteral("pw"));
    taskrow::setArea(done, QRect(1, 2, 3, 4));
    done->setText(taskrow::ColumnSelectedPages, QStringLiteral("1-3"));
    auto* link = new QLabel(QStringLiteral("link"));
    m_list->setItemWidget(done, taskrow::ColumnStatus, link);
    const QString path = taskrow::pdfPath(done);
    const QString size = done->text(taskrow::ColumnSize);
    QPointer<QLabel> watched(link);

    done->setSelected(true);
    m_list->moveSelectedUp();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTreeWidgetItem* moved = row(0);
    EXPECT_EQ(moved->text(taskrow::ColumnFileName), QStringLiteral("b.pdf"));
    EXPECT_EQ(moved->toolTip(taskrow::ColumnFileName), path);
    EXPECT_EQ(moved->text(taskrow::ColumnSize), size);
    EXPECT_EQ(moved->text(taskrow::ColumnSelectedPages), QStringLiteral("1-3"));
    EXPECT_EQ(taskrow::status(moved), int(taskrow::StatusDone));
    EXPECT_EQ(taskrow::password(moved), QStringLiteral("pw"));
    EXPECT_EQ(taskrow::area(moved), QRect(1, 2, 3, 4));
    EXPECT_EQ(taskrow::pdfPath(moved), path);
    EXPECT_EQ(moved->flags(), row(1)->flags());
    EXPECT_EQ(m_list->itemWidget(moved, taskrow::ColumnStatus), nullptr);
    EXPECT_TRUE(watched.isNull());
}

using TaskListRemove = TaskListTest;

TEST_F(TaskListRemove, RemovingAsksFirst)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") });
    row(0)->setSelected(true);
    row(2)->setSelected(true);
    {
        ModalAnswers answers({ pressButton(QStringLiteral("No")) });
        m_list->removeSelected();
        EXPECT_EQ(answers.texts(), QStringList({ QStringLiteral(
                                       "Are you sure you want to remove the selected items from the list?") }));
        EXPECT_EQ(answers.titles(), QStringList({ VuPref::product_name() }));
        EXPECT_EQ(rowCount(), 3);
    }
    ModalAnswers answers({ pressButton(QStringLiteral("Yes")) });
    m_list->removeSelected();
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(names(), QStringList({ QStringLiteral("b.pdf") }));
}

using TaskListSelection = TaskListTest;

TEST_F(TaskListSelection, TheValuesOfExactlyOneSelectedRow)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") });
    row(1)->setText(taskrow::ColumnSelectedPages, QStringLiteral(" 2-4 "));
    EXPECT_EQ(m_list->selectedPdfPath(), QString());
    row(1)->setSelected(true);
    EXPECT_EQ(m_list->selectedPdfPath(), m_dir.filePath(QStringLiteral("b.pdf")));
    EXPECT_EQ(m_list->selectedPassword(), QString());
    EXPECT_EQ(m_list->selectedPageText(), QStringLiteral("2-4"));
    m_list->setSelectedPageText(QStringLiteral("1,2"));
    EXPECT_EQ(row(1)->text(taskrow::ColumnSelectedPages), QStringLiteral("1,2"));

    row(0)->setSelected(true);
    EXPECT_EQ(m_list->selectedPdfPath(), QString());
    EXPECT_EQ(m_list->selectedPageText(), QString());
    m_list->setSelectedPageText(QStringLiteral("7"));
    EXPECT_EQ(row(0)->text(taskrow::ColumnSelectedPages), QStringLiteral("All"));
    EXPECT_EQ(row(1)->text(taskrow::ColumnSelectedPages), QStringLiteral("1,2"));
}

TEST_F(TaskListSelection, AClickBesideTheRowsLeavesNoCurrentRow)
{
    addRows({ QStringLiteral("a.pdf") });
    m_list->setCurrentItem(row(0));
    ASSERT_TRUE(m_list->currentIndex().isValid());
    const QPoint empty(50, m_list->viewport()->height() - 5);
    ASSERT_FALSE(m_list->indexAt(empty).isValid());
    QTest::mouseClick(m_list->viewport(), Qt::RightButton, Qt::NoModifier, empty);
    EXPECT_FALSE(m_list->currentIndex().isValid());
}

using TaskListLayout = TaskListTest;

TEST_F(TaskListLayout, TheFileNameColumnFollowsTheWidth)
{
    QHeaderView* header = m_list->header();
    m_list->resize(800, 400);
    const int wide = header->sectionSize(taskrow::ColumnFileName);
    m_list->resize(900, 400);
    EXPECT_EQ(header->sectionSize(taskrow::ColumnFileName), wide + 100);
    m_list->resize(300, 400);
    EXPECT_EQ(header->sectionSize(taskrow::ColumnFileName), 150);
}

using TaskListRetranslate = TaskListTest;

TEST_F(TaskListRetranslate, TheCellWordsFollowTheLanguageAndPageListsStay)
{
    addRows({ QStringLiteral("all.pdf"), QStringLiteral("range.pdf"), QStringLiteral("picture.pdf") });
    row(1)->setText(taskrow::ColumnSelectedPages, QStringLiteral("1-3"));
    taskrow::setConversionZoom(row(2), 60);
    row(2)->setText(taskrow::ColumnMode, QStringLiteral("Picture"));

    MarkingTranslator marking;
    QCoreApplication::installTranslator(&marking);
    m_list->retranslateCells();
    QCoreApplication::removeTranslator(&marking);

    EXPECT_EQ(row(0)->text(taskrow::ColumnSelectedPages), QStringLiteral("<All>"));
    EXPECT_EQ(row(1)->text(taskrow::ColumnSelectedPages), QStringLiteral("1-3"));
    EXPECT_EQ(row(0)->text(taskrow::ColumnMode), QStringLiteral("<Text>"));
    EXPECT_EQ(row(2)->text(taskrow::ColumnMode), QStringLiteral("<Picture>"));
    auto* pages = m_list->findChild<QComboBox*>(QStringLiteral("item_combox"));
    auto* modes = m_list->findChild<QComboBox*>(QStringLiteral("item_combobox_mode_selector"));
    ASSERT_TRUE(pages && modes);
    EXPECT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->itemText(0), QStringLiteral("<All>"));
    EXPECT_EQ(pages->itemText(1), QStringLiteral("<Pages: e.g.(1,3,4,5-10)>"));
    EXPECT_EQ(modes->itemText(0), QStringLiteral("<Text>"));
    EXPECT_EQ(modes->itemText(1), QStringLiteral("<Picture>"));

    // Back in English, the translated "All" is recognised as the word too.
    m_list->retranslateCells();
    EXPECT_EQ(row(0)->text(taskrow::ColumnSelectedPages), QStringLiteral("All"));
    EXPECT_EQ(row(2)->text(taskrow::ColumnMode), QStringLiteral("Picture"));
}

} // namespace
