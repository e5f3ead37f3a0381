// The conversion queue end to end: rows convert one after another into
// real books, with status, progress and a link; invalid page lists, the
// question about converted rows, missing files, stopping and aborting.
#include "mainwindowfixture.h"

#include "convert/utils.h"
#include "pdfdamage.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString kInvalidPages = QStringLiteral("Invalid format or out of range!");
const QString kConvertAgain =
    QStringLiteral("Some files have already been converted successfully.\nDo you want to convert them again?");

class Queue : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_out = path(QStringLiteral("out"));
        QDir().mkpath(m_out);
        child<QLineEdit>("lineEditOutFolder")->setText(m_out);
        child<QRadioButton>("radioButtonCustomize")->setChecked(true);
        // The file names of the rows in the order their tasks started.
        QObject::connect(m_list->model(), &QAbstractItemModel::dataChanged, m_list, [this] {
            for (int at = 0; at < rowCount(); ++at) {
                const QString name = row(at)->text(taskrow::ColumnFileName);
                if (taskrow::status(row(at)) == taskrow::StatusConverting && !m_started.contains(name))
                    m_started << name;
                int converting = 0;
                for (int other = 0; other < rowCount(); ++other)
                    converting += taskrow::status(row(other)) == taskrow::StatusConverting ? 1 : 0;
                m_mostConverting = std::max(m_mostConverting, converting);
            }
        });
    }

    // Rows of small PDFs with these names, in this order.
    void addPdfs(const QStringList& names, int pages = 2)
    {
        QStringList files;
        for (const QString& name : names)
            files << pdf(QStringLiteral("in/") + name, pages);
        addRows(files);
    }

    bool waitForRunEnd() const
    {
        return waitUntil([this] { return !m_window->hasPendingTask(); });
    }

    QList<int> statuses() const
    {
        QList<int> found;
        for (int at = 0; at < rowCount(); ++at)
            found << taskrow::status(row(at));
        return found;
    }

    QLabel* linkOf(int at) const
    {
        return qobject_cast<QLabel*>(m_list->itemWidget(row(at), taskrow::ColumnStatus));
    }

    // Starts the run and holds its first task after its first page.
    void convertHeld()
    {
        m_gate.shut();
        m_window->on_convert();
        ASSERT_EQ(taskrow::status(row(0)), taskrow::StatusConverting);
        ASSERT_TRUE(m_gate.waitUntilHeld());
    }

    // Answers with button once the held task has ended, with its report
    // delivered or still on its way; the rows' statuses at that moment go
    // to m_whileAsked.
    ModalAnswers::Answer afterTheHeldTask(bool reported, const QString& button)
    {
        return [this, reported, button](QWidget* box) {
            if (reported)
                finishHeldTask();
            else
                EXPECT_TRUE(m_gate.openAndWaitForEnd());
            m_whileAsked = statuses();
            pressButton(button)(box);
        };
    }

    // unzip's own test of every entry.
    static void expectSoundBook(const QString& book)
    {
        ASSERT_TRUE(QFileInfo(book).isFile()) << book.toStdString();
        QString output;
        EXPECT_EQ(testfiles::runProgram(QStringLiteral("unzip"), { QStringLiteral("-t"), book }, &output), 0)
            << output.toStdString();
        EXPECT_TRUE(output.contains(QLatin1String("No errors detected"))) << output.toStdString();
    }

    QString m_out;
    QStringList m_started;
    int m_mostConverting = 0;
    QList<int> m_whileAsked;
};

TEST_F(Queue, ConvertMakesABookOfEveryRowOneAfterAnother)
{
    addPdfs({ QStringLiteral("first.pdf"), QStringLiteral("second.pdf"), QStringLiteral("third.pdf") });
    // One row in Picture mode: its zoom reaches the worker too.
    row(1)->setText(taskrow::ColumnMode, QStringLiteral("Picture"));
    taskrow::setConversionZoom(row(1), 40);
    row(2)->setText(taskrow::ColumnSelectedPages, QStringLiteral("2"));

    ModalAnswers none;
    m_window->on_convert();
    // The first task started at once; the others wait.
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusConverting, taskrow::StatusWaiting, taskrow::StatusWaiting }));
    EXPECT_EQ(taskrow::progressText(row(0)), QStringLiteral("0"));
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(none.answered() + none.unexpected(), 0);

    EXPECT_EQ(m_started, QStringList({ QStringLiteral("first.pdf"), QStringLiteral("second.pdf"),
                                       QStringLiteral("third.pdf") }));
    EXPECT_EQ(m_mostConverting, 1);
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusDone, taskrow::StatusDone }));
    const QRegularExpression percent(QStringLiteral("^\\d+\\.\\d\\d$"));
    for (int at = 0; at < rowCount(); ++at) {
        const QString name = utils::bookNameOf(taskrow::pdfPath(row(at))) + QStringLiteral(".epub");
        EXPECT_EQ(taskrow::outputName(row(at)), name);
        EXPECT_EQ(taskrow::outputFolder(row(at)), m_out + QLatin1Char('/'));
        EXPECT_TRUE(percent.match(taskrow::progressText(row(at))).hasMatch())
            << taskrow::progressText(row(at)).toStdString();
        expectSoundBook(m_out + QLatin1Char('/') + name);
        QLabel* link = linkOf(at);
        ASSERT_NE(link, nullptr) << at;
        EXPECT_EQ(link->objectName(), QStringLiteral("itemLabel"));
        EXPECT_EQ(link->textInteractionFlags(), Qt::LinksAccessibleByMouse);
        EXPECT_FALSE(link->openExternalLinks());
    }
    EXPECT_TRUE(taskrow::pageList(row(0)).isEmpty());
    EXPECT_EQ(taskrow::pageList(row(2)), QStringList{ QStringLiteral("2") });
    // The work folders are gone.
    EXPECT_EQ(QDir(m_out).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
    EXPECT_TRUE(child<QPushButton>("pushButtonConvert")->isEnabled());
}

TEST_F(Queue, TheLinkOpensTheBookEvenWithCharactersThatMeanSomethingInMarkup)
{
    OpenedUrls opened;
    addPdfs({ QStringLiteral("Tom & \"Jerry\" <1>.pdf") });
    m_window->on_convert();
    ASSERT_TRUE(waitForRunEnd());
    ASSERT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
    const QString book = m_out + QStringLiteral("/Tom & \"Jerry\" <1>.epub");
    expectSoundBook(book);

    QLabel* link = linkOf(0);
    ASSERT_NE(link, nullptr);
    link->resize(200, 20);
    QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(20, link->height() / 2));
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls.first().toLocalFile(), book);
}

TEST_F(Queue, TheBookNameDropsPdfAndDotsAndAvoidsBooksThatExist)
{
    addPdfs({ QStringLiteral("Report.draft.PDF") });
    ASSERT_TRUE(testfiles::writeAll(m_out + QStringLiteral("/Report_draft.epub"), "older"));
    m_window->on_convert();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
    EXPECT_EQ(taskrow::outputName(row(0)), QStringLiteral("Report_draft(1).epub"));
    expectSoundBook(m_out + QStringLiteral("/Report_draft(1).epub"));
    EXPECT_EQ(testfiles::readAll(m_out + QStringLiteral("/Report_draft.epub")), QByteArray("older"));
}

TEST_F(Queue, NextToTheSourceTheFolderFieldIsNotCheckedByConvertButByConvertSelected)
{
    addPdfs({ QStringLiteral("beside.pdf") });
    const QString file = path(QStringLiteral("plain.txt"));
    ASSERT_TRUE(testfiles::writeAll(file, "x"));
    child<QLineEdit>("lineEditOutFolder")->setText(file + QStringLiteral("/cannot"));
    child<QRadioButton>("radioButtonSameFoler")->setChecked(true);

    {
        ModalAnswers none;
        m_window->on_convert();
        ASSERT_TRUE(waitForRunEnd());
        EXPECT_EQ(none.answered() + none.unexpected(), 0);
    }
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
    EXPECT_EQ(taskrow::outputFolder(row(0)), path(QStringLiteral("in/")));
    expectSoundBook(path(QStringLiteral("in/beside.epub")));

    selectOnly({ 0 });
    ModalAnswers refuse({ pressButton(QStringLiteral("No")), pressButton(QStringLiteral("OK")) });
    m_window->on_convertSelection();
    EXPECT_EQ(refuse.texts().value(0),
              QStringLiteral("The specified path does not exist.\nDo you want to create it?"));
    EXPECT_EQ(refuse.answered(), 2);
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
    EXPECT_FALSE(m_window->hasPendingTask());
}

TEST_F(Queue, AFailedFolderCheckQueuesNothingAndIsLogged)
{
    addPdfs({ QStringLiteral("kept.pdf") });
    child<QLineEdit>("lineEditOutFolder")->setText(path(QStringLiteral("missing")));
    const int before = logCount(QStringLiteral("outfile path false"));
    ModalAnswers refuse({ pressButton(QStringLiteral("No")), pressButton(QStringLiteral("OK")) });
    m_window->on_convert();
    EXPECT_EQ(refuse.answered(), 2);
    EXPECT_EQ(logCount(QStringLiteral("outfile path false")), before + 1);
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusNew);
}

TEST_F(Queue, AnInvalidPageListQueuesNothing)
{
    addPdfs({ QStringLiteral("fine.pdf"), QStringLiteral("short.pdf") }, 3);
    row(1)->setText(taskrow::ColumnSelectedPages, QStringLiteral("1,5"));
    {
        // The message names the row.
        ModalAnswers ok({ pressButton(QStringLiteral("OK")) });
        m_window->on_convert();
        EXPECT_EQ(ok.texts(), QStringList{ kInvalidPages + QStringLiteral("\n\"short.pdf\", Selected Pages: 1,5") });
    }
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusNew, taskrow::StatusNew }));
    EXPECT_FALSE(m_window->hasPendingTask());
    EXPECT_TRUE(QDir(m_out).isEmpty());

    // A falling range cannot be turned into pages either.
    row(1)->setText(taskrow::ColumnSelectedPages, QStringLiteral("3-1"));
    ModalAnswers again({ pressButton(QStringLiteral("OK")) });
    m_window->on_convert();
    EXPECT_TRUE(again.texts().value(0).endsWith(QStringLiteral("\"short.pdf\", Selected Pages: 3-1")));
    EXPECT_FALSE(m_window->hasPendingTask());
}

// A row has its book whether every page could be read or not.
class ConvertedRows : public Queue, public ::testing::WithParamInterface<int> {
protected:
    // Three rows, the middle one converted before.
    void SetUp() override
    {
        Queue::SetUp();
        addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") });
        taskrow::setStatus(row(1), GetParam());
        m_list->setItemWidget(row(1), taskrow::ColumnStatus, new QLabel(QStringLiteral("old link")));
    }

    QStringList convertAnswering(const QString& answer)
    {
        ModalAnswers answers({ pressButton(answer) });
        m_window->on_convert();
        EXPECT_TRUE(waitForRunEnd());
        EXPECT_EQ(answers.texts(), QStringList{ kConvertAgain });
        EXPECT_EQ(answers.unexpected(), 0);
        return m_started;
    }
};

TEST_P(ConvertedRows, YesConvertsThemAgainInListOrder)
{
    EXPECT_EQ(convertAnswering(QStringLiteral("Yes")),
              QStringList({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") }));
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusDone, taskrow::StatusDone }));
    ASSERT_NE(linkOf(1), nullptr);
    EXPECT_NE(linkOf(1)->text(), QStringLiteral("old link"));
}

TEST_P(ConvertedRows, NoConvertsTheOthers)
{
    EXPECT_EQ(convertAnswering(QStringLiteral("No")), QStringList({ QStringLiteral("a.pdf"), QStringLiteral("c.pdf") }));
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, GetParam(), taskrow::StatusDone }));
    ASSERT_NE(linkOf(1), nullptr);
    EXPECT_EQ(linkOf(1)->text(), QStringLiteral("old link"));
    EXPECT_FALSE(QFileInfo::exists(m_out + QStringLiteral("/b.epub")));
}

TEST_P(ConvertedRows, CancelConvertsNothing)
{
    EXPECT_EQ(convertAnswering(QStringLiteral("Cancel")), QStringList());
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusNew, GetParam(), taskrow::StatusNew }));
    EXPECT_TRUE(QDir(m_out).isEmpty());
}

TEST_P(ConvertedRows, StoppingKeepsTheBook)
{
    selectOnly({ 1 });
    ModalAnswers yes({ pressButton(QStringLiteral("Yes")) });
    m_window->on_taskStop();
    EXPECT_EQ(yes.answered(), 1);
    EXPECT_EQ(taskrow::status(row(1)), GetParam());
}

INSTANTIATE_TEST_SUITE_P(WholeOrWithUnreadablePages, ConvertedRows,
                         ::testing::Values(int(taskrow::StatusDone), int(taskrow::StatusIncomplete)));

TEST_F(Queue, SkippedAbortedAndMissingRowsStayOutWhileStoppedOnesGoIn)
{
    addPdfs({ QStringLiteral("skipped.pdf"), QStringLiteral("aborted.pdf"), QStringLiteral("stopped.pdf"),
              QStringLiteral("gone.pdf"), QStringLiteral("fine.pdf") });
    taskrow::setStatus(row(0), taskrow::StatusSkipped);
    taskrow::setStatus(row(1), taskrow::StatusAbort);
    taskrow::setStatus(row(2), taskrow::StatusIdle);
    const QString gone = taskrow::pdfPath(row(3));
    ASSERT_TRUE(QFile::remove(gone));
    const int before = logCount(QStringLiteral("file:: ") + gone + QStringLiteral(" is not existed"));

    m_window->on_convert();
    EXPECT_EQ(taskrow::status(row(3)), taskrow::StatusSkipped);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(m_started, QStringList({ QStringLiteral("stopped.pdf"), QStringLiteral("fine.pdf") }));
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusSkipped, taskrow::StatusAbort, taskrow::StatusDone,
                                       taskrow::StatusSkipped, taskrow::StatusDone }));
    EXPECT_EQ(logCount(QStringLiteral("file:: ") + gone + QStringLiteral(" is not existed")), before + 1);
}

TEST_F(Queue, APdfThatVanishesWhileQueuedIsSkippedAndEndsTheRun)
{
    addPdfs({ QStringLiteral("one.pdf"), QStringLiteral("two.pdf"), QStringLiteral("three.pdf") });
    m_window->on_convert();
    ASSERT_EQ(taskrow::status(row(0)), taskrow::StatusConverting);
    ASSERT_TRUE(QFile::remove(taskrow::pdfPath(row(1))));
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusSkipped, taskrow::StatusIdle }));
    EXPECT_EQ(m_started, QStringList{ QStringLiteral("one.pdf") });
}

TEST_F(Queue, APdfReplacedByANamedPipeIsSkippedUnopened)
{
    addPdfs({ QStringLiteral("one.pdf"), QStringLiteral("pipe.pdf") });
    const QString pipe = taskrow::pdfPath(row(1));
    ASSERT_TRUE(QFile::remove(pipe));
    const testfiles::Fifo fifo(pipe);
    ASSERT_TRUE(fifo.isValid());
    m_window->on_convert();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusSkipped }));
    EXPECT_FALSE(fifo.wasOpened());
}

TEST_F(Queue, AFailedTaskShowsFailedAndTheNextOneStarts)
{
    addPdfs({ QStringLiteral("broken.pdf"), QStringLiteral("good.pdf") });
    ASSERT_TRUE(testfiles::writeAll(taskrow::pdfPath(row(0)), "this is no PDF any more"));
    m_window->on_convert();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusFailed, taskrow::StatusDone }));
    EXPECT_EQ(linkOf(0), nullptr);
    EXPECT_FALSE(QFileInfo::exists(m_out + QStringLiteral("/broken.epub")));
    expectSoundBook(m_out + QStringLiteral("/good.epub"));
}

// A book made without a page that could not be read is no plain success:
// the row says how many pages, and which, and shows no link.
TEST_F(Queue, ARowThatCouldNotReadEveryPageNamesThePages)
{
    addPdfs({ QStringLiteral("damaged.pdf") }, 3);
    const QString file = taskrow::pdfPath(row(0));
    ASSERT_TRUE(testfiles::writeAll(file, testpdf::withoutObjectHolding(testfiles::readAll(file), "(Page 2)", true)));
    m_window->on_convert();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusIncomplete);
    EXPECT_EQ(taskrow::unreadPages(row(0)), QList<int>({ 2 }));
    EXPECT_EQ(linkOf(0), nullptr);
    expectSoundBook(m_out + QStringLiteral("/damaged.epub"));
}

TEST_F(Queue, AProtectedPdfConvertsWithThePasswordGivenWhenItWasAdded)
{
    const QString locked = pdf(QStringLiteral("in/locked.pdf"), 2, QStringLiteral("s3cret"));
    {
        ModalAnswers prompt({ typeAndPress(QStringLiteral("s3cret"), QStringLiteral("OK")) });
        addRows({ locked });
    }
    ASSERT_EQ(taskrow::password(row(0)), QStringLiteral("s3cret"));
    m_window->on_convert();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
    expectSoundBook(m_out + QStringLiteral("/locked.epub"));
}

TEST_F(Queue, AProtectedPdfWhosePromptWasCancelledAsksAgainWhenConverted)
{
    const QString locked = pdf(QStringLiteral("in/locked.pdf"), 2, QStringLiteral("s3cret"));
    {
        ModalAnswers cancel({ pressButton(QStringLiteral("Cancel")) });
        addRows({ locked });
    }
    ModalAnswers prompt({ typeAndPress(QStringLiteral("s3cret"), QStringLiteral("OK")) });
    m_window->on_convert();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(prompt.answered(), 1);
    EXPECT_EQ(prompt.unexpected(), 0);
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
}

TEST_F(Queue, ConvertSelectedTakesTheSelectedRowsInListOrder)
{
    addPdfs({ QStringLiteral("p.pdf"), QStringLiteral("q.pdf"), QStringLiteral("r.pdf") });
    row(2)->setSelected(true);
    row(0)->setSelected(true);
    m_window->on_convertSelection();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(m_started, QStringList({ QStringLiteral("p.pdf"), QStringLiteral("r.pdf") }));
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusNew, taskrow::StatusDone }));
}

TEST_F(Queue, AbortStopsTheRunAndLeavesEveryRowIdle)
{
    addPdfs({ QStringLiteral("x.pdf"), QStringLiteral("y.pdf"), QStringLiteral("z.pdf") });
    convertHeld();
    {
        ModalAnswers no({ pressButton(QStringLiteral("No")) });
        m_window->on_convertCancel();
        EXPECT_EQ(no.texts(), QStringList{ QStringLiteral("Are you sure you want to cancel the conversion?") });
    }
    EXPECT_EQ(taskrow::status(row(1)), taskrow::StatusWaiting);
    {
        ModalAnswers yes({ pressButton(QStringLiteral("Yes")) });
        m_window->on_convertCancel();
        EXPECT_EQ(yes.answered(), 1);
    }
    EXPECT_FALSE(child<QPushButton>("pushButtonConvert")->isEnabled());
    EXPECT_EQ(taskrow::status(row(1)), taskrow::StatusIdle);
    EXPECT_EQ(taskrow::status(row(2)), taskrow::StatusIdle);
    // The stop reached the worker before its book was closed.
    m_gate.open();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusIdle, taskrow::StatusIdle, taskrow::StatusIdle }));
    EXPECT_EQ(m_started, QStringList{ QStringLiteral("x.pdf") });
    EXPECT_TRUE(child<QPushButton>("pushButtonConvert")->isEnabled());
    // No book and no work folder is left behind.
    EXPECT_TRUE(QDir(m_out).isEmpty())
        << QDir(m_out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(linkOf(0), nullptr);
}

TEST_F(Queue, AQuestionHoldsTheQueueAndNoGoesOnWhereItWas)
{
    addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") });
    convertHeld();
    ModalAnswers no({ afterTheHeldTask(true, QStringLiteral("No")) });
    m_window->on_convertCancel();
    EXPECT_EQ(m_whileAsked, QList<int>({ taskrow::StatusDone, taskrow::StatusWaiting, taskrow::StatusWaiting }));
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusConverting, taskrow::StatusWaiting }));
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusDone, taskrow::StatusDone }));
}

// The user stops a row whose book was finished while the question was open:
// the book stays, with its link, and the run goes on.
TEST_F(Queue, StoppingARowThatFinishedMeanwhileKeepsItsBook)
{
    addPdfs({ QStringLiteral("done.pdf"), QStringLiteral("next.pdf") });
    convertHeld();
    selectOnly({ 0 });
    ModalAnswers yes({ afterTheHeldTask(true, QStringLiteral("Yes")) });
    m_window->on_taskStop();
    EXPECT_EQ(m_whileAsked, QList<int>({ taskrow::StatusDone, taskrow::StatusWaiting }));
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusDone }));
    ASSERT_NE(linkOf(0), nullptr);
    expectSoundBook(m_out + QStringLiteral("/done.epub"));
}

// The abort reaches a worker that has finished its book but not yet
// reported: the book is kept and its row shows it.
TEST_F(Queue, AnAbortAfterTheBookWasFinishedKeepsTheBookAndStartsNothingMore)
{
    addPdfs({ QStringLiteral("kept.pdf"), QStringLiteral("never.pdf") });
    convertHeld();
    ModalAnswers yes({ afterTheHeldTask(false, QStringLiteral("Yes")) });
    m_window->on_convertCancel();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusIdle }));
    EXPECT_EQ(m_started, QStringList{ QStringLiteral("kept.pdf") });
    ASSERT_NE(linkOf(0), nullptr);
    expectSoundBook(m_out + QStringLiteral("/kept.epub"));
    EXPECT_FALSE(QFileInfo::exists(m_out + QStringLiteral("/never.epub")));
}

TEST_F(Queue, StoppingTheConvertingRowGoesOnWithTheNext)
{
    addPdfs({ QStringLiteral("long.pdf"), QStringLiteral("next.pdf") });
    convertHeld();
    selectOnly({ 0 });
    {
        ModalAnswers yes({ pressButton(QStringLiteral("Yes")) });
        m_window->on_taskStop();
        EXPECT_EQ(yes.texts(), QStringList{ QStringLiteral("Are you sure you want to stop the selected items?") });
    }
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusIdle);
    m_gate.open();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusIdle, taskrow::StatusDone }));
    EXPECT_FALSE(QFileInfo::exists(m_out + QStringLiteral("/long.epub")));

    // A stopped row goes in with the next "Convert"; the converted one is
    // asked about.
    m_started.clear();
    ModalAnswers no({ pressButton(QStringLiteral("No")) });
    m_window->on_convert();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(m_started, QStringList{ QStringLiteral("long.pdf") });
    EXPECT_EQ(statuses(), QList<int>({ taskrow::StatusDone, taskrow::StatusDone }));
}

TEST_F(Queue, AStaleProgressReportDoesNotRestartAStoppedRow)
{
    addPdfs({ QStringLiteral("quiet.pdf") });
    taskrow::setStatus(row(0), taskrow::StatusIdle);
    m_window->slotRefreshTaskProcess(row(0), 42.5);
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusIdle);

    taskrow::setStatus(row(0), taskrow::StatusConverting);
    m_window->slotRefreshTaskProcess(row(0), 42.5);
    EXPECT_EQ(taskrow::progressText(row(0)), QStringLiteral("42.50"));
    taskrow::setStatus(row(0), taskrow::StatusIdle);
}

} // namespace
