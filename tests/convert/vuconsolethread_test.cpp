// The worker as the parser's progress object: how progress messages become
// percentages, that nothing is signalled after a stop, and what the finished
// worker reports.
#include "convert/vuconsolethread.h"

#include "leafbinder/src/fixed_field.h"
#include "pdfmaker.h"
#include "platform/pagesift/pdfparseconf.h"
#include "platform/pagesift/pdfparser.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

namespace {

// Reaches the fields the task hand-over sets and the parser's counters.
class Worker : public VuConsoleThread {
public:
    void setRow(QTreeWidgetItem* row) { m_row = row; }
    float lastPercent() const { return percent; }
    bool stopRequested() const { return m_stopRequested; }
    bool quitAfterStop() const { return m_quitAfterStop; }

    void message(messageType type, const char* text)
    {
        QByteArray copy(text);
        parseProgressInfo(type, copy.data());
    }
};

struct WorkerTest : ::testing::Test {
    QTreeWidgetItem row;
    Worker worker;
    QSignalSpy progress{&worker, &VuConsoleThread::sglItemTaskProcess};

    void SetUp() override { worker.setRow(&row); }

    std::vector<double> percents() const
    {
        std::vector<double> values;
        for (const QList<QVariant>& call : progress) {
            EXPECT_EQ(call.at(0).value<QTreeWidgetItem*>(), &row);
            values.push_back(call.at(1).toDouble());
        }
        return values;
    }
};

TEST_F(WorkerTest, StartsWithNothingRequestedAndNothingSucceeded)
{
    EXPECT_FALSE(worker.stopRequested());
    EXPECT_FALSE(worker.quitAfterStop());
    EXPECT_FALSE(worker.isNeedCancel());
    EXPECT_FALSE(worker.isSuccess());
    EXPECT_FALSE(worker.isRunning());
}

TEST_F(WorkerTest, APercentageMessageIsPassedOnAsItIs)
{
    worker.message(VuConsoleThread::progressMessage, ":37.5");
    worker.message(VuConsoleThread::progressMessage, ":");
    worker.message(VuConsoleThread::progressMessage, ": 12.25 done");
    EXPECT_EQ(percents(), std::vector<double>({37.5, 0.0, 12.25}));
    EXPECT_EQ(worker.lastPercent(), 0.0f) << "the percentage form leaves percent alone";
}

TEST_F(WorkerTest, APageCountIsTurnedIntoAPercentageOfTheTotal)
{
    worker.setPageNumber(12);
    worker.message(VuConsoleThread::progressMessage, "3");
    EXPECT_EQ(worker.lastPercent(), 25.0f);
    worker.message(VuConsoleThread::progressMessage, "12");
    worker.message(VuConsoleThread::progressMessage, "junk");
    EXPECT_EQ(percents(), std::vector<double>({25.0, 100.0, 0.0}));
}

TEST_F(WorkerTest, APageCountWithoutATotalGivesNoPercentage)
{
    worker.message(VuConsoleThread::progressMessage, "3");
    worker.setPageNumber(-4);
    worker.message(VuConsoleThread::progressMessage, "3");
    EXPECT_TRUE(progress.isEmpty());
    EXPECT_EQ(worker.lastPercent(), 0.0f);
}

TEST_F(WorkerTest, MessagesOfAnyOtherTypeChangeNothing)
{
    worker.setPageNumber(4);
    worker.message(VuConsoleThread::noticeMessage, "2");
    worker.message(static_cast<VuConsoleThread::messageType>(7), ":50");
    worker.parseProgressInfo(VuConsoleThread::progressMessage, nullptr);
    EXPECT_TRUE(progress.isEmpty());
    EXPECT_EQ(worker.lastPercent(), 0.0f);
}

TEST_F(WorkerTest, AfterAStopProgressIsStillCountedButNoLongerSignalled)
{
    worker.setPageNumber(8);
    worker.message(VuConsoleThread::progressMessage, "2");
    worker.stop(false);
    EXPECT_TRUE(worker.stopRequested());
    EXPECT_FALSE(worker.quitAfterStop());
    EXPECT_TRUE(worker.isNeedCancel()) << "the parser sees the stop as a cancel";
    worker.message(VuConsoleThread::progressMessage, "6");
    worker.message(VuConsoleThread::progressMessage, ":90");
    EXPECT_EQ(percents(), std::vector<double>({25.0}));
    EXPECT_EQ(worker.lastPercent(), 75.0f);

    worker.stop(true);
    EXPECT_TRUE(worker.quitAfterStop());
}

TEST_F(WorkerTest, FinishingReportsTheRowTheStopAndTheResult)
{
    QSignalSpy complete(&worker, &VuConsoleThread::sglTaskComplete);
    worker.setSuccess(true);
    EXPECT_TRUE(worker.isSuccess());
    worker.procFinished();
    worker.stop(false);
    worker.setSuccess(false);
    worker.procFinished();
    ASSERT_EQ(complete.size(), 2);
    EXPECT_EQ(complete[0].at(0).value<QTreeWidgetItem*>(), &row);
    EXPECT_EQ(complete[0].at(1).toBool(), false);
    EXPECT_EQ(complete[0].at(2).toBool(), true);
    EXPECT_EQ(complete[1].at(1).toBool(), true);
    EXPECT_EQ(complete[1].at(2).toBool(), false);
}

TEST_F(WorkerTest, TheEndOfTheThreadReachesTheGuiThreadAsTaskComplete)
{
    QSignalSpy complete(&worker, &VuConsoleThread::sglTaskComplete);
    worker.start();   // no task: no pages, so the thread ends at once
    ASSERT_TRUE(worker.wait(60000));
    EXPECT_TRUE(complete.isEmpty()) << "queued to this thread's event loop";
    QCoreApplication::processEvents();
    ASSERT_EQ(complete.size(), 1);
    EXPECT_EQ(complete[0].at(0).value<QTreeWidgetItem*>(), &row);
}

TEST(WorkerThreads, ProgressFromTheWorkerThreadArrivesQueued)
{
    QTreeWidgetItem row;
    Worker worker;
    worker.setRow(&row);
    worker.setPageNumber(4);
    std::vector<double> received;
    QObject receiver;
    QObject::connect(&worker, &VuConsoleThread::sglItemTaskProcess, &receiver,
                     [&](QTreeWidgetItem* item, double value) {
                         EXPECT_EQ(item, &row);
                         received.push_back(value);
                     });
    QThread* sender = QThread::create([&worker] { worker.message(VuConsoleThread::progressMessage, "1"); });
    sender->start();
    ASSERT_TRUE(sender->wait(10000));
    delete sender;
    EXPECT_TRUE(received.empty()) << "delivered through the GUI thread's event loop";
    QCoreApplication::processEvents();
    EXPECT_EQ(received, std::vector<double>({25.0}));
}

// The parser reports progress through the worker in the page-count form.
TEST(WorkerWithParser, ParsingFourPagesReportsAQuarterPerPage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("four.pdf"));
    ASSERT_TRUE(testpdf::writePdf(path, testpdf::simpleDoc(4)));

    QTreeWidgetItem row;
    Worker worker;
    worker.setRow(&row);
    QSignalSpy progress(&worker, &VuConsoleThread::sglItemTaskProcess);
    conversion::pdfParseConf request;
    ASSERT_TRUE(ns_epub::setFieldText(request.sourcePath, path));
    request.pages = {4, 3, 2, 1};
    conversion::pdfParser parser(nullptr);
    parser.setParseProgress(&worker);
    parser.parse(&request);
    EXPECT_TRUE(worker.isSuccess());
    std::vector<double> values;
    for (const QList<QVariant>& call : progress)
        values.push_back(call.at(1).toDouble());
    EXPECT_EQ(values, std::vector<double>({25.0, 50.0, 75.0, 100.0}));

    // A document that does not open leaves the worker failed.
    ASSERT_TRUE(ns_epub::setFieldText(request.sourcePath, dir.filePath(QStringLiteral("absent.pdf"))));
    worker.setSuccess(true);
    parser.parse(&request);
    EXPECT_FALSE(worker.isSuccess());
}

} // namespace
