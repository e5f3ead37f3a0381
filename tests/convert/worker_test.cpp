// The conversion worker end to end, on its own thread: books in both modes
// read back and checked by outside readers, the signals and their order,
// stop, cancel and destruction while running, passwords, page lists, and
// what the worker must never touch.
#include "convert/vuconsolethread.h"

#include "app/taskrow.h"
#include "book_helpers.h"
#include "convert/logwriter.h"
#include "convert/outputname.h"
#include "pdfdamage.h"
#include "pdfmaker.h"
#include "testfiles.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

namespace {

constexpr int kPictureZoom100 = 100;
const QString kTempName = QStringLiteral("tmp");

// Page n is (100 + 50 n) by 100 points and says "Page n", so both its text
// and the size of its picture tell which page it was.
QSize pointSizeOf(int page)
{
    return QSize(100 + 50 * page, 100);
}

testpdf::DocSpec numberedDoc(int count, const QString& password = QString())
{
    testpdf::DocSpec doc;
    for (int n = 1; n <= count; ++n) {
        testpdf::PageSpec page;
        page.width = pointSizeOf(n).width();
        page.height = pointSizeOf(n).height();
        testpdf::TextRun run;
        run.text = QStringLiteral("Page %1").arg(n);
        run.x = 10;
        run.y = 50;
        page.runs << run;
        doc.pages << page;
    }
    doc.userPassword = password;
    return doc;
}

struct Task {
    QStringList pages;        // empty: all
    int pageCount = 0;
    QString pdfPath;
    QString outputFolder;
    QString outputName;
    QString password;
    int zoom = 0;             // 0: Text mode
    QRect area;
};

// What the main window would have seen of one task.
struct Outcome {
    bool completed = false;
    int completions = 0;
    bool stopped = false;
    bool succeeded = false;
    std::vector<double> progress;
    QStringList events;       // "progress", "quit" and "complete" in order of arrival
    bool rowsMatch = true;    // every signal carried the task's row
};

// Runs one task like the main window does: signals connected to an object
// of the GUI thread, the event loop running until sglTaskComplete.
// onFirstProgress runs on the GUI thread while the worker waits at its
// first progress report, so a stop lands at a known point; afterEnd runs
// once the worker's thread has ended, before its report is delivered;
// beforeStart may set the worker's test hooks.
Outcome runTask(QTreeWidgetItem* row, const Task& task,
                const std::function<void(VuConsoleThread&)>& onFirstProgress = {},
                const std::function<void(VuConsoleThread&)>& afterEnd = {},
                const std::function<void(VuConsoleThread&)>& beforeStart = {})
{
    Outcome outcome;
    VuConsoleThread worker;
    if (beforeStart)
        beforeStart(worker);
    QObject receiver;
    QEventLoop loop;
    QObject::connect(&worker, &VuConsoleThread::sglItemTaskProcess, &receiver,
                     [&](QTreeWidgetItem* item, double percent) {
                         outcome.rowsMatch = outcome.rowsMatch && item == row;
                         outcome.progress.push_back(percent);
                         outcome.events << QStringLiteral("progress");
                     });
    QObject::connect(&worker, &VuConsoleThread::processQiut, &receiver,
                     [&] { outcome.events << QStringLiteral("quit"); });
    QObject::connect(&worker, &VuConsoleThread::sglTaskComplete, &receiver,
                     [&](QTreeWidgetItem* item, bool stopped, bool succeeded) {
                         outcome.rowsMatch = outcome.rowsMatch && item == row;
                         outcome.completed = true;
                         ++outcome.completions;
                         outcome.stopped = stopped;
                         outcome.succeeded = succeeded;
                         outcome.events << QStringLiteral("complete");
                         loop.quit();
                     });
    bool first = true;
    if (onFirstProgress) {
        QObject::connect(
            &worker, &VuConsoleThread::sglItemTaskProcess, &receiver,
            [&](QTreeWidgetItem*, double) {
                if (first)
                    onFirstProgress(worker);
                first = false;
            },
            Qt::BlockingQueuedConnection);
    }
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    worker.startTask(row, task.pages, task.pageCount, task.pdfPath, task.outputFolder, task.outputName,
                     task.password, task.password, task.zoom, task.area);
    if (afterEnd) {
        worker.wait();
        afterEnd(worker);
    }
    loop.exec();
    worker.wait();
    // Anything still queued (there should be nothing) would show as a second completion.
    QCoreApplication::processEvents();
    return outcome;
}

// The book unpacked into a folder of its own, or an empty text.
QString unpack(const QString& book, const QString& folder)
{
    QString output;
    if (testfiles::runProgram(QStringLiteral("unzip"), {QStringLiteral("-q"), QStringLiteral("-o"), book,
                                                        QStringLiteral("-d"), folder},
                              &output)
        != 0) {
        ADD_FAILURE() << "unzip: " << output.toStdString();
        return QString();
    }
    return folder;
}

// The pages of an unpacked book in reading order: page-1.html, page-2.html, ...
QStringList pageFiles(const QString& unpacked)
{
    QStringList pages;
    for (int n = 1; QFileInfo::exists(unpacked + QStringLiteral("/OEBPS/page-%1.html").arg(n)); ++n)
        pages << unpacked + QStringLiteral("/OEBPS/page-%1.html").arg(n);
    return pages;
}

// The "Page n" line of each page of a Text-mode book.
QStringList pageTexts(const QString& unpacked)
{
    QStringList texts;
    const QRegularExpression pageLine(QStringLiteral("Page \\d+"));
    for (const QString& page : pageFiles(unpacked))
        texts << pageLine.match(QString::fromUtf8(testfiles::readAll(page))).captured(0);
    return texts;
}

// The pixel size of the one picture on each page of a Picture-mode book.
QList<QSize> pictureSizes(const QString& unpacked)
{
    QList<QSize> sizes;
    const QRegularExpression source(QStringLiteral("<img[^>]*src=\"([^\"]+)\""));
    for (const QString& page : pageFiles(unpacked)) {
        const QRegularExpressionMatch match = source.match(QString::fromUtf8(testfiles::readAll(page)));
        QImageReader reader(unpacked + QStringLiteral("/OEBPS/") + match.captured(1));
        EXPECT_EQ(reader.format(), QByteArray("jpeg")) << page.toStdString();
        sizes << reader.size();
    }
    return sizes;
}

QStringList epubcheckProblems(const QString& book)
{
    const QString checker = QStringLiteral("/usr/share/java/epubcheck.jar");
    if (!testfiles::haveProgram(QStringLiteral("java")) || !QFileInfo::exists(checker))
        return {QStringLiteral("java or epubcheck.jar is missing")};
    QString report;
    testfiles::runProgram(QStringLiteral("java"), {QStringLiteral("-jar"), checker, book}, &report);
    return bookhelpers::unexpectedMessages(report);
}

class WorkerTask : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // The tests run as processes side by side: each gets a temporary
        // folder, and with it a log, of its own.
        m_savedTemp = qgetenv("TMPDIR");
        ASSERT_TRUE(QDir().mkpath(folder() + kTempName));
        qputenv("TMPDIR", (folder() + kTempName).toUtf8());
        markLog();
        BookInfo info;
        info.title = QStringLiteral("Quarterly Report");
        info.author = QStringLiteral("Ada Writer");
        info.isbn = QStringLiteral("978-3-16-148410-0");
        taskrow::setBookInfo(&m_row, info);
    }

    void TearDown() override { qputenv("TMPDIR", m_savedTemp); }

    QString folder() const { return m_dir.path() + QLatin1Char('/'); }

    QString makePdf(const QString& name, const testpdf::DocSpec& doc) const
    {
        const QString path = folder() + name;
        QString error;
        EXPECT_TRUE(testpdf::writePdf(path, doc, &error)) << error.toStdString();
        return path;
    }

    // A task for the PDF, writing beside it under the name the queue would
    // choose.
    Task taskFor(const QString& pdfPath, int pageCount, int zoom = 0) const
    {
        Task task;
        task.pdfPath = pdfPath;
        task.pageCount = pageCount;
        task.outputFolder = folder();
        task.outputName = utils::bookNameOf(pdfPath);
        utils::uniqueOutputName(task.outputName, folder(), QStringLiteral("epub"));
        task.zoom = zoom;
        return task;
    }

    QString bookPath(const Task& task) const { return task.outputFolder + task.outputName; }
    QString workFolder(const Task& task) const
    {
        return task.outputFolder + QFileInfo(task.outputName).baseName();
    }
    QString unpacked(const Task& task) const
    {
        return unpack(bookPath(task), folder() + QStringLiteral("unpacked-") + task.outputName);
    }

    // The entries of the output folder that are neither the PDFs nor the user's.
    QStringList leftovers(const QStringList& expected = {}) const
    {
        QStringList names = QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                     | QDir::NoDotAndDotDot);
        names.removeIf([&](const QString& name) {
            return name.endsWith(QLatin1String(".pdf")) || name == QLatin1String("Report")
                || name.startsWith(QLatin1String("unpacked-")) || name == kTempName || expected.contains(name);
        });
        return names;
    }

    // The page pictures left in the temporary folder.
    QStringList pagePictures() const
    {
        return testfiles::listFiles(folder() + kTempName).filter(QRegularExpression(QStringLiteral("\\.jpg$")));
    }

    // What was logged since the mark.
    void markLog() { m_logStart = QFileInfo(logFilePath()).size(); }
    QString log() const { return QString::fromUtf8(testfiles::readAll(logFilePath()).mid(m_logStart)); }

    // What a task reported and logged of its damaged pages.
    struct Damage {
        bool succeeded = false;
        std::vector<int> unread;
        std::vector<std::pair<int, QString>> logged;  // page and message of each entry, in order

        std::vector<int> loggedPages() const
        {
            std::vector<int> pages;
            for (const auto& entry : logged)
                pages.push_back(entry.first);
            return pages;
        }
    };
    Damage runDamaged(const Task& task)
    {
        markLog();
        Damage found;
        found.succeeded = runTask(&m_row, task, {}, [&](VuConsoleThread& worker) {
                              found.unread = worker.unreadPages();
                          }).succeeded;
        const QRegularExpression entry(QStringLiteral("\\ncannot (?:read|draw) page (\\d+) in '%1': ([^\\n]+)")
                                           .arg(QRegularExpression::escape(QFileInfo(task.pdfPath).fileName())));
        for (auto match = entry.globalMatch(log()); match.hasNext();) {
            const QRegularExpressionMatch next = match.next();
            found.logged.emplace_back(next.captured(1).toInt(), next.captured(2));
        }
        return found;
    }

    QTemporaryDir m_dir;
    QTreeWidgetItem m_row;
    qint64 m_logStart = 0;
    QByteArray m_savedTemp;
};

// The user's own folder "Report/" beside "Report.pdf", with a file in it.
void makeUsersFolder(const QString& folder)
{
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("Report/sub")));
    ASSERT_TRUE(testfiles::writeAll(folder + QStringLiteral("Report/notes.txt"), "my notes"));
    ASSERT_TRUE(testfiles::writeAll(folder + QStringLiteral("Report/sub/plan.doc"), "my plan"));
}

void expectUsersFolderUntouched(const QString& folder)
{
    EXPECT_EQ(testfiles::listFiles(folder + QStringLiteral("Report")),
              QStringList({QStringLiteral("notes.txt"), QStringLiteral("sub/plan.doc")}));
    EXPECT_EQ(testfiles::readAll(folder + QStringLiteral("Report/notes.txt")), QByteArray("my notes"));
    EXPECT_EQ(testfiles::readAll(folder + QStringLiteral("Report/sub/plan.doc")), QByteArray("my plan"));
}

TEST_F(WorkerTask, TextModeMakesAValidBookOfEveryPageBesideTheUsersFolder)
{
    makeUsersFolder(folder());
    const Task task = taskFor(makePdf(QStringLiteral("Report.pdf"), numberedDoc(4)), 4);
    ASSERT_EQ(task.outputName, QStringLiteral("Report(1).epub")) << "the user's folder takes the plain name";

    const Outcome outcome = runTask(&m_row, task);
    ASSERT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(outcome.rowsMatch);
    EXPECT_EQ(outcome.progress, std::vector<double>({25, 50, 75, 100}));
    EXPECT_EQ(outcome.events.last(), QStringLiteral("complete"));
    EXPECT_FALSE(outcome.events.contains(QStringLiteral("quit")));

    ASSERT_TRUE(QFileInfo(bookPath(task)).isFile());
    EXPECT_FALSE(QFileInfo::exists(workFolder(task))) << "the work folder is removed";
    expectUsersFolderUntouched(folder());
    EXPECT_EQ(leftovers({task.outputName}), QStringList());

    const QString book = unpacked(task);
    EXPECT_EQ(pageTexts(book), QStringList({QStringLiteral("Page 1"), QStringLiteral("Page 2"),
                                            QStringLiteral("Page 3"), QStringLiteral("Page 4")}));
    const QString opf = QString::fromUtf8(testfiles::readAll(book + QStringLiteral("/OEBPS/content.opf")));
    EXPECT_TRUE(opf.contains(QStringLiteral(">Quarterly Report</dc:title>"))) << opf.toStdString();
    EXPECT_TRUE(opf.contains(QStringLiteral(">Ada Writer</dc:creator>"))) << opf.toStdString();
    EXPECT_FALSE(opf.contains(QRegularExpression(QStringLiteral("<dc:(rights|relation)[^>]*>[^<]"))))
        << "relation and rights stay empty";
    EXPECT_EQ(epubcheckProblems(bookPath(task)), QStringList());
}

TEST_F(WorkerTask, PictureModeMakesAValidBookOfOnePicturePerPage)
{
    makeUsersFolder(folder());
    const Task task = taskFor(makePdf(QStringLiteral("Report.pdf"), numberedDoc(4)), 4, kPictureZoom100);

    const Outcome outcome = runTask(&m_row, task);
    ASSERT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(outcome.rowsMatch);
    EXPECT_EQ(outcome.progress, std::vector<double>({0, 25, 50, 75})) << "\":\" and i * 100 / n per page";

    ASSERT_TRUE(QFileInfo(bookPath(task)).isFile());
    EXPECT_FALSE(QFileInfo::exists(workFolder(task)));
    expectUsersFolderUntouched(folder());
    EXPECT_EQ(leftovers({task.outputName}), QStringList());

    EXPECT_EQ(pagePictures(), QStringList()) << "each page picture goes once it is in the book";

    const QString book = unpacked(task);
    EXPECT_EQ(pictureSizes(book), QList<QSize>({pointSizeOf(1), pointSizeOf(2), pointSizeOf(3), pointSizeOf(4)}))
        << "zoom 100: one pixel per point";
    EXPECT_EQ(epubcheckProblems(bookPath(task)), QStringList());
}

TEST_F(WorkerTask, PagesGoInListOrderWithRepeatsInBothModes)
{
    const QString pdf = makePdf(QStringLiteral("order.pdf"), numberedDoc(3));
    Task text = taskFor(pdf, 3);
    text.pages = QStringList({QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("3")});
    const Outcome textOutcome = runTask(&m_row, text);
    ASSERT_TRUE(textOutcome.succeeded);
    EXPECT_EQ(pageTexts(unpacked(text)),
              QStringList({QStringLiteral("Page 3"), QStringLiteral("Page 1"), QStringLiteral("Page 3")}));

    Task picture = taskFor(pdf, 3, kPictureZoom100);
    picture.pages = text.pages;
    ASSERT_NE(picture.outputName, text.outputName);
    const Outcome pictureOutcome = runTask(&m_row, picture);
    ASSERT_TRUE(pictureOutcome.succeeded);
    EXPECT_EQ(pictureOutcome.progress, std::vector<double>({0, 33, 66}));
    EXPECT_EQ(pictureSizes(unpacked(picture)), QList<QSize>({pointSizeOf(3), pointSizeOf(1), pointSizeOf(3)}));
    EXPECT_EQ(leftovers({text.outputName, picture.outputName}), QStringList());
}

// Below 100 % the area still shrinks with the page: at 50 % (36 dpi) the
// area of 100 by 50 page pixels becomes a picture of 50 by 25.
TEST_F(WorkerTask, PictureModeKeepsTheAreaAtZoomsBelowAHundred)
{
    Task task = taskFor(makePdf(QStringLiteral("area.pdf"), numberedDoc(2)), 2, 50);
    task.area = QRect(10, 20, 100, 50);
    const Outcome outcome = runTask(&m_row, task);
    ASSERT_TRUE(outcome.succeeded);
    EXPECT_EQ(pictureSizes(unpacked(task)), QList<QSize>({QSize(50, 25), QSize(50, 25)}));
}

TEST_F(WorkerTask, AProtectedPdfConvertsWithItsPasswordAndFailsWithoutIt)
{
    const QString pdf = makePdf(QStringLiteral("locked.pdf"), numberedDoc(2, QStringLiteral("s3cret")));
    for (const int zoom : {0, kPictureZoom100}) {
        SCOPED_TRACE(zoom == 0 ? "Text mode" : "Picture mode");
        for (const QString& wrong : {QString(), QStringLiteral("guess")}) {
            Task task = taskFor(pdf, 2, zoom);
            task.password = wrong;
            const Outcome outcome = runTask(&m_row, task);
            ASSERT_TRUE(outcome.completed);
            EXPECT_FALSE(outcome.stopped);
            EXPECT_FALSE(outcome.succeeded) << "no empty book reported as done";
            EXPECT_FALSE(QFileInfo::exists(bookPath(task)));
            EXPECT_FALSE(QFileInfo::exists(workFolder(task)));
        }
        Task task = taskFor(pdf, 2, zoom);
        task.password = QStringLiteral("s3cret");
        const Outcome outcome = runTask(&m_row, task);
        EXPECT_TRUE(outcome.succeeded);
        EXPECT_EQ(pageFiles(unpacked(task)).size(), 2);
    }
}

TEST_F(WorkerTask, AFileThatIsNoPdfFailsInBothModes)
{
    const QString path = folder() + QStringLiteral("fake.pdf");
    ASSERT_TRUE(testfiles::writeAll(path, "this is not a PDF\n"));
    for (const int zoom : {0, kPictureZoom100}) {
        const Task task = taskFor(path, 1, zoom);
        const Outcome outcome = runTask(&m_row, task);
        ASSERT_TRUE(outcome.completed);
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_FALSE(QFileInfo::exists(bookPath(task)));
    }
    EXPECT_EQ(leftovers(), QStringList());
    EXPECT_TRUE(log().contains(QStringLiteral("VuConsoleThread::")));
}

TEST_F(WorkerTask, APdfThatIsANamedPipeIsRefusedUnopenedInBothModes)
{
    const QString path = folder() + QStringLiteral("pipe.pdf");
    const testfiles::Fifo pipe(path);
    ASSERT_TRUE(pipe.isValid());
    for (const int zoom : {0, kPictureZoom100}) {
        const Outcome outcome = runTask(&m_row, taskFor(path, 1, zoom));
        ASSERT_TRUE(outcome.completed);
        EXPECT_FALSE(outcome.succeeded);
    }
    EXPECT_FALSE(pipe.wasOpened());
    EXPECT_EQ(log().count(QStringLiteral("pipe.pdf: not a regular file")), 2) << log().toStdString();
}

// Both log lines written for a page outside the document.
const QRegularExpression kInvalidPageEntry(
    QStringLiteral("(^|\\n)\\.\\\\vuconsolethread\\(222\\): in VuConsoleThread::run : "
                   "\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d [0-9a-f]{8}\\npreIdx = 0\\n\\n"));

TEST_F(WorkerTask, AnInvalidPageListFailsWithItsLogEntryAndNoBook)
{
    const QString pdf = makePdf(QStringLiteral("pages.pdf"), numberedDoc(4));
    const QList<QStringList> lists = {
        {QStringLiteral("1"), QStringLiteral("x")},   // no number: page 0
        {QStringLiteral("2"), QStringLiteral("5")},   // above the page count
        {QStringLiteral("0")},
        {QStringLiteral("-1")},
    };
    for (const int zoom : {0, kPictureZoom100}) {
        for (const QStringList& pages : lists) {
            SCOPED_TRACE(pages.join(QLatin1Char(',')).toStdString());
            markLog();
            Task task = taskFor(pdf, 4, zoom);
            task.pages = pages;
            const Outcome outcome = runTask(&m_row, task);
            ASSERT_TRUE(outcome.completed);
            EXPECT_FALSE(outcome.stopped);
            EXPECT_FALSE(outcome.succeeded);
            EXPECT_TRUE(outcome.progress.empty());
            EXPECT_TRUE(log().contains(kInvalidPageEntry)) << log().toStdString();
            EXPECT_EQ(leftovers(), QStringList()) << "not even a work folder";
        }
    }
}

TEST_F(WorkerTask, NoPagesAtAllFailsRatherThanMakingAnEmptyBook)
{
    const Task task = taskFor(makePdf(QStringLiteral("none.pdf"), numberedDoc(2)), 0);
    const Outcome outcome = runTask(&m_row, task);
    ASSERT_TRUE(outcome.completed);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(WorkerTask, TextModeLogsEachPageItCannotReadAndFailsWhenItCanReadNone)
{
    const QByteArray sound = testfiles::readAll(makePdf(QStringLiteral("sound.pdf"), numberedDoc(3)));
    const QString lost = folder() + QStringLiteral("lost.pdf");
    ASSERT_TRUE(testfiles::writeAll(lost, testpdf::withoutObjectHolding(sound, "(Page 2)", false)));
    const QString repaired = folder() + QStringLiteral("repaired.pdf");
    ASSERT_TRUE(testfiles::writeAll(repaired, testpdf::withShiftedXref(sound)));
    // The site, then the page with MuPDF's message.
    const QRegularExpression entry(QStringLiteral("(^|\\n)\\.\\\\vuconsolethread\\(\\d+\\): in VuConsoleThread::run : "
                                                  "[^\\n]+\\ncannot read page 2 in 'lost\\.pdf': \\S[^\\n]*\\n"));

    markLog();
    Task task = taskFor(lost, 3);
    Outcome outcome = runTask(&m_row, task);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_EQ(pageTexts(unpacked(task)).filter(QStringLiteral("Page")),
              QStringList({QStringLiteral("Page 1"), QStringLiteral("Page 3")}));
    EXPECT_EQ(log().count(entry), 1) << log().toStdString();

    task = taskFor(lost, 3);
    task.pages = QStringList({QStringLiteral("2")});
    outcome = runTask(&m_row, task);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_FALSE(QFileInfo::exists(bookPath(task)));

    markLog();
    task = taskFor(repaired, 3);
    outcome = runTask(&m_row, task);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_FALSE(log().contains(QStringLiteral("cannot read page"))) << log().toStdString();
}

// A file broken off at 55 %, as by an interrupted download: page 12's
// content stream ends early, on which MuPDF only warns, and pages 13 to 18
// lost theirs. Both modes name the same pages in the log and in their
// report, and the book keeps the pages that are whole.
TEST_F(WorkerTask, BothModesLogAndReportTheSameDamagedPagesOfATruncatedFile)
{
    testpdf::DocSpec doc = numberedDoc(18);
    doc.forDownload = true;
    const QByteArray whole = testfiles::readAll(makePdf(QStringLiteral("whole.pdf"), doc));
    const QString cut = folder() + QStringLiteral("cut.pdf");
    ASSERT_TRUE(testfiles::writeAll(cut, whole.left(whole.size() * 55 / 100)));
    const std::vector<int> damaged = {12, 13, 14, 15, 16, 17, 18};
    for (const int zoom : {0, kPictureZoom100}) {
        SCOPED_TRACE(zoom == 0 ? "Text mode" : "Picture mode");
        const Task task = taskFor(cut, 18, zoom);
        const Damage found = runDamaged(task);
        EXPECT_TRUE(found.succeeded);
        EXPECT_EQ(found.unread, damaged);
        EXPECT_EQ(found.loggedPages(), damaged) << log().toStdString();
        EXPECT_EQ(found.logged.front().second, QStringLiteral("premature end of data in flate filter"));
        if (zoom == 0)
            EXPECT_EQ(pageTexts(unpacked(task)).filter(QStringLiteral("Page")).size(), 11);
        else
            EXPECT_EQ(pictureSizes(unpacked(task)).mid(0, 11).last(), pointSizeOf(11));
    }
}

// A link to a place the document does not define leaves its page whole; a
// page whose content MuPDF gives up on part way lost what came after.
TEST_F(WorkerTask, BothModesReportContentMuPdfGaveUpOnButNotALinkToNowhere)
{
    testpdf::DocSpec doc = numberedDoc(2);
    doc.pages[0].linkTo = QStringLiteral("nowhere");
    doc.pages[1].rawContent = QByteArray(") ").repeated(100) + "BT /F1 12 Tf 10 20 Td (Lost) Tj ET\n";
    const QString pdf = makePdf(QStringLiteral("links.pdf"), doc);
    for (const int zoom : {0, kPictureZoom100}) {
        SCOPED_TRACE(zoom == 0 ? "Text mode" : "Picture mode");
        const Damage found = runDamaged(taskFor(pdf, 2, zoom));
        EXPECT_EQ(found.unread, std::vector<int>({2}));
        EXPECT_EQ(found.loggedPages(), std::vector<int>({2})) << log().toStdString();
    }
}

// Two pages share a font and a picture. When either is lost, each page
// that draws with it is damaged, however often and in whatever order the
// pages are read.
TEST_F(WorkerTask, BothModesReportEveryPageThatLosesAFontOrPictureItShares)
{
    testpdf::DocSpec doc = numberedDoc(2);
    doc.forDownload = true;
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    for (testpdf::PageSpec& page : doc.pages) {
        page.runs[0].font = testpdf::unicodeFontPath();
        page.images << testpdf::ImageSpec{picture, QRectF(60, 10, 30, 30)};
    }
    const QByteArray sound = testfiles::readAll(makePdf(QStringLiteral("sound.pdf"), doc));
    const QString lost = folder() + QStringLiteral("lost.pdf");
    // The font program (the only stream with a Length1), and the picture.
    for (const QByteArray& damaged : {testpdf::withoutObjectHolding(sound, "/Length1", true),
                                      testpdf::withStreamDataSpoiled(sound, "/Image")}) {
        ASSERT_TRUE(testfiles::writeAll(lost, damaged));
        for (const int zoom : {0, kPictureZoom100}) {
            SCOPED_TRACE(zoom == 0 ? "Text mode" : "Picture mode");
            Task task = taskFor(lost, 2, zoom);
            task.pages = QStringList({QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("2")});
            const Damage found = runDamaged(task);
            EXPECT_EQ(found.unread, std::vector<int>({1, 2}));
            EXPECT_EQ(found.loggedPages(), std::vector<int>({2, 1, 2})) << log().toStdString();
        }
    }
}

TEST_F(WorkerTask, StopAndQuitEndsTheTaskAfterThePageAtHandWithoutABook)
{
    const QString pdf = makePdf(QStringLiteral("Report.pdf"), numberedDoc(5));
    makeUsersFolder(folder());
    for (const int zoom : {0, kPictureZoom100}) {
        SCOPED_TRACE(zoom == 0 ? "Text mode" : "Picture mode");
        const Task task = taskFor(pdf, 5, zoom);
        const Outcome outcome = runTask(&m_row, task, [](VuConsoleThread& worker) { worker.stop(true); });
        ASSERT_TRUE(outcome.completed);
        EXPECT_EQ(outcome.completions, 1);
        EXPECT_TRUE(outcome.stopped);
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_TRUE(outcome.rowsMatch);
        EXPECT_EQ(outcome.events, QStringList({QStringLiteral("progress"), QStringLiteral("quit"),
                                               QStringLiteral("complete")}))
            << "no progress after the stop; processQiut before sglTaskComplete";
        EXPECT_FALSE(QFileInfo::exists(bookPath(task))) << "a stopped book is not packed";
        EXPECT_FALSE(QFileInfo::exists(workFolder(task)));
        expectUsersFolderUntouched(folder());
    }
    EXPECT_EQ(leftovers(), QStringList());
    EXPECT_EQ(pagePictures(), QStringList());
}

// The book was closed before the stop came: it stays, and the report says
// both that the task was stopped and that it succeeded.
TEST_F(WorkerTask, AStopAfterTheBookWasClosedKeepsTheBook)
{
    const Task task = taskFor(makePdf(QStringLiteral("late.pdf"), numberedDoc(2)), 2);
    const Outcome outcome = runTask(&m_row, task, {}, [](VuConsoleThread& worker) { worker.stop(true); });
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_FALSE(outcome.events.contains(QStringLiteral("quit"))) << "the task had ended before the stop";
    EXPECT_EQ(pageTexts(unpacked(task)), QStringList({QStringLiteral("Page 1"), QStringLiteral("Page 2")}));
    EXPECT_EQ(leftovers({task.outputName}), QStringList());
}

TEST_F(WorkerTask, AStopWithoutQuitSendsNoQuit)
{
    const Task task = taskFor(makePdf(QStringLiteral("stop.pdf"), numberedDoc(3)), 3, kPictureZoom100);
    const Outcome outcome = runTask(&m_row, task, [](VuConsoleThread& worker) { worker.stop(false); });
    EXPECT_TRUE(outcome.stopped);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.events, QStringList({QStringLiteral("progress"), QStringLiteral("complete")}));
    EXPECT_EQ(leftovers(), QStringList());
}

// The queue would never pick this name; should the folder appear anyway, the
// worker leaves it alone instead of filling it and emptying it again.
TEST_F(WorkerTask, AnExistingWorkFolderIsNeverBuiltInto)
{
    makeUsersFolder(folder());
    for (const int zoom : {0, kPictureZoom100}) {
        Task task = taskFor(makePdf(QStringLiteral("Report.pdf"), numberedDoc(2)), 2, zoom);
        task.outputName = QStringLiteral("Report.epub");
        const Outcome outcome = runTask(&m_row, task);
        ASSERT_TRUE(outcome.completed);
        EXPECT_FALSE(outcome.succeeded);
        expectUsersFolderUntouched(folder());
        EXPECT_FALSE(QFileInfo::exists(bookPath(task)));
        EXPECT_TRUE(log().contains(QStringLiteral("cannot make a new work folder")));
    }
    // A name without a base would make the output folder itself the work folder.
    Task task = taskFor(makePdf(QStringLiteral("Report.pdf"), numberedDoc(2)), 2);
    task.outputName = QStringLiteral(".epub");
    EXPECT_FALSE(runTask(&m_row, task).succeeded);
    EXPECT_TRUE(QFileInfo::exists(folder() + QStringLiteral("Report.pdf")));
    expectUsersFolderUntouched(folder());
    EXPECT_EQ(leftovers(), QStringList());
}

// Another conversion of the same PDF takes the name between the queue's
// choice and the book's create: this task stops before its first page and
// leaves the other's pages alone.
TEST_F(WorkerTask, ANameTakenJustBeforeTheBookIsCreatedStopsTheTaskAndRemovesNothing)
{
    const Task task = taskFor(makePdf(QStringLiteral("Book.pdf"), numberedDoc(3)), 3);
    const QString otherPage = workFolder(task) + QStringLiteral("/OEBPS/page-1.html");
    int pages = 0;
    const Outcome outcome = runTask(&m_row, task, {}, {}, [&](VuConsoleThread& worker) {
        worker.setBookHook([&] {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(otherPage).absolutePath()));
            ASSERT_TRUE(testfiles::writeAll(otherPage, "the other conversion's page"));
        });
        worker.setPageHook([&pages] { ++pages; });
    });
    ASSERT_TRUE(outcome.completed);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(pages, 0);
    EXPECT_EQ(testfiles::readAll(otherPage), QByteArray("the other conversion's page"));
    EXPECT_TRUE(log().contains(QStringLiteral("cannot make a new work folder")));
    EXPECT_EQ(leftovers(), QStringList{QFileInfo(workFolder(task)).fileName()});
}

TEST_F(WorkerTask, ValuesTooLongForTheirFieldsFailTheTaskWithALogEntry)
{
    const QString pdf = makePdf(QStringLiteral("long.pdf"), numberedDoc(1));

    Task longFolder = taskFor(pdf, 1);
    longFolder.outputFolder = folder() + QString(200, QLatin1Char('d')) + QLatin1Char('/')
        + QString(200, QLatin1Char('e')) + QLatin1Char('/') + QString(200, QLatin1Char('f')) + QLatin1Char('/')
        + QString(200, QLatin1Char('g')) + QLatin1Char('/') + QString(200, QLatin1Char('h')) + QLatin1Char('/');
    EXPECT_FALSE(runTask(&m_row, longFolder).succeeded);
    EXPECT_TRUE(log().contains(QStringLiteral("too long")));

    markLog();
    Task longPassword = taskFor(pdf, 1);
    longPassword.password = QString(128, QLatin1Char('p'));
    EXPECT_FALSE(runTask(&m_row, longPassword).succeeded);
    EXPECT_TRUE(log().contains(QStringLiteral("password1 does not fit")));
    EXPECT_FALSE(log().contains(QStringLiteral("pppp"))) << "a password never goes to the log";

    EXPECT_EQ(leftovers(), QStringList()) << "nothing was made";
}

// The current folder is the program's own installation folder.
TEST_F(WorkerTask, ARelativeOutputFolderFailsTheTaskWithALogEntry)
{
    testfiles::CurrentDir current(folder());
    Task relative = taskFor(makePdf(QStringLiteral("rel.pdf"), numberedDoc(1)), 1);
    relative.outputFolder = QStringLiteral("relout/");
    EXPECT_FALSE(runTask(&m_row, relative).succeeded);
    EXPECT_TRUE(log().contains(QStringLiteral("output folder not absolute")));
    EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("relout")));
}

// Destroying a worker whose thread still runs cancels the task and waits.
TEST_F(WorkerTask, AWorkerDestroyedWhileRunningStopsAndCleansUp)
{
    const Task task = taskFor(makePdf(QStringLiteral("big.pdf"), numberedDoc(3)), 3, kPictureZoom100);
    auto* worker = new VuConsoleThread;
    bool completed = false;
    QObject::connect(worker, &VuConsoleThread::sglTaskComplete, [&] { completed = true; });
    // The worker waits after its first page until the destructor cancels it.
    QSemaphore held;
    worker->setPageHook([worker, &held] {
        held.release();
        while (!worker->isNeedCancel())
            QThread::msleep(1);
    });
    worker->startTask(&m_row, task.pages, task.pageCount, task.pdfPath, task.outputFolder, task.outputName,
                      QString(), QString(), task.zoom, task.area);
    ASSERT_TRUE(held.tryAcquire(1, 60000));
    delete worker;
    QCoreApplication::processEvents();
    EXPECT_FALSE(completed) << "no signal from a destroyed worker";
    EXPECT_FALSE(QFileInfo::exists(bookPath(task)));
    EXPECT_EQ(leftovers(), QStringList());
}

} // namespace
