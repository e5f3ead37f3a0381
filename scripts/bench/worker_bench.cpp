// Whole-task conversion speed and memory: one conversion worker turns a PDF
// into a packed book, timed from the hand-over to the task's end, against an
// outside tool doing the comparable part of the work on the same pages:
//
//   Picture mode at zoom 200 (144 dpi): `pdftoppm -jpeg -r 144` alone.
//   Text mode: `mutool draw -F stext`.
//
//   worker_bench [text|picture] [--pages N] [--pictures] [--hyphenated] [--peak] [file.pdf]
//   worker_bench --write file.pdf [--pages N] [--pictures] [--hyphenated]
//
// Without a mode both modes run, each in a process of its own so that their
// memory peaks stay apart. Without a file a text-heavy PDF of N pages
// (default 100) is made first, with --pictures one with a picture of its
// own on every page, with --hyphenated one whose lines often end in a
// broken word. Memory is read after a tenth of the pages and
// at the end: a flat peak means memory does not grow with the page count.
// --write only writes that PDF, so that other builds can convert the same
// file.
//
// With --peak each mode converts once, with no outside tool, and prints the
// process's peak resident memory during that one task (the peak is restarted
// once the PDF is open, so making the PDF does not count). Compare the
// figures of two page counts to see what a long book costs. Run under
// `/usr/bin/time -v` with a mode and a file, it also gives one whole task
// from the start of the process to the book.
#include "benchsupport.h"
#include "convert/pdfgraber.h"
#include "convert/vuconsolethread.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {

constexpr int kRounds = 3;
constexpr int kPictureZoom = 200;

// Processor time of this process (all its threads), or of its children
// that have ended.
double cpuSeconds(int who = RUSAGE_SELF)
{
    rusage usage = {};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct taskFigures {
    double seconds = -1;
    double cpu = -1;
    bool succeeded = false;
    qint64 bookBytes = 0;
};

// What a PDF made here holds besides its text (--pictures, --hyphenated).
bench::pdfExtras g_extras;

// Memory read on the worker thread as progress passes a tenth of the task.
std::atomic<long> g_peakAtTenth{-1};
std::atomic<long> g_rssAtTenth{-1};

taskFigures convertOnce(const QString& pdf, int pageCount, int zoom, const QString& outputFolder,
                        const QString& outputName)
{
    taskFigures figures;
    VuConsoleThread worker;
    QEventLoop loop;
    QObject::connect(
        &worker, &VuConsoleThread::sglItemTaskProcess, &worker,
        [](QTreeWidgetItem*, double percent) {
            if (percent >= 10 && g_peakAtTenth < 0) {
                g_rssAtTenth = bench::statusKib("VmRSS:");
                g_peakAtTenth = bench::statusKib("VmHWM:");
            }
        },
        Qt::DirectConnection);
    QObject::connect(&worker, &VuConsoleThread::sglTaskComplete, &loop,
                     [&](QTreeWidgetItem*, bool, bool succeeded) {
                         figures.succeeded = succeeded;
                         loop.quit();
                     });
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuSeconds();
    worker.startTask(nullptr, QStringList(), pageCount, pdf, outputFolder, outputName, QString(), QString(), zoom,
                     QRect());
    loop.exec();
    figures.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    worker.wait();
    figures.cpu = cpuSeconds() - cpuBefore;
    figures.bookBytes = QFileInfo(outputFolder + outputName).size();
    return figures;
}

// Seconds the tool took, or -1 when it failed, and the processor time it used.
struct toolFigures {
    double seconds = -1;
    double cpu = -1;
};

// Runs the tool with its output thrown away.
toolFigures toolOnce(const QString& program, const QStringList& arguments)
{
    toolFigures figures;
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(program, arguments);
    const bool ok = tool.waitForFinished(-1) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (ok) {
        figures.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        figures.cpu = cpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    }
    return figures;
}

toolFigures referenceOnce(bool picture, const QString& pdf, int pageCount, const QString& scratch)
{
    const QString last = QString::number(pageCount);
    if (picture) {
        QDir(scratch).removeRecursively();
        QDir().mkpath(scratch);
        return toolOnce(QStringLiteral("pdftoppm"),
                        {QStringLiteral("-jpeg"), QStringLiteral("-r"), QStringLiteral("144"), QStringLiteral("-f"),
                         QStringLiteral("1"), QStringLiteral("-l"), last, pdf, scratch + QStringLiteral("/p")});
    }
    return toolOnce(QStringLiteral("mutool"), {QStringLiteral("draw"), QStringLiteral("-F"), QStringLiteral("stext"),
                                               QStringLiteral("-o"), QStringLiteral("/dev/null"), pdf,
                                               QStringLiteral("1-") + last});
}

// The PDF to convert, the one given or a text-heavy one made in dir, and
// its page count; 0 pages, with the reason printed, when there is none.
int benchPdf(const QString& givenPdf, int wantedPages, const QTemporaryDir& dir, QString* pdf)
{
    *pdf = givenPdf;
    if (pdf->isEmpty()) {
        *pdf = dir.filePath(QStringLiteral("text-heavy.pdf"));
        const QString error = bench::makeTextHeavyPdf(*pdf, wantedPages, g_extras);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "cannot make the PDF: %s\n", qPrintable(error));
            return 0;
        }
    }
    PDFGraber graber;
    if (!graber.open(*pdf, QString())) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(*pdf));
        return 0;
    }
    return graber.pageCount();
}

// One task, no outside tool: the peak resident memory of the process while
// it converts.
int runPeak(bool picture, const QString& givenPdf, int wantedPages)
{
    QTemporaryDir dir;
    QString pdf;
    const int pageCount = benchPdf(givenPdf, wantedPages, dir, &pdf);
    if (pageCount == 0)
        return 1;
    const long rssBefore = bench::statusKib("VmRSS:");
    if (!bench::restartPeak()) {
        std::fprintf(stderr, "cannot restart the memory peak (/proc/self/clear_refs)\n");
        return 1;
    }
    const taskFigures figures = convertOnce(pdf, pageCount, picture ? kPictureZoom : 0,
                                            dir.path() + QLatin1Char('/'), QStringLiteral("bench.epub"));
    if (!figures.succeeded) {
        std::fprintf(stderr, "the conversion failed (see the log in %s)\n", qPrintable(QDir::tempPath()));
        return 1;
    }
    std::printf("%s mode%s: %d pages, book %lld bytes, %.1f s (processor %.1f s)\n", picture ? "Picture" : "Text",
                picture ? " at zoom 200" : "", pageCount, static_cast<long long>(figures.bookBytes),
                figures.seconds, figures.cpu);
    std::printf("  memory: RSS %ld KiB before the task, peak %ld KiB during it\n", rssBefore,
                bench::statusKib("VmHWM:"));
    return 0;
}

int runMode(bool picture, const QString& givenPdf, int wantedPages)
{
    QTemporaryDir dir;
    QString pdf;
    const int pageCount = benchPdf(givenPdf, wantedPages, dir, &pdf);
    if (pageCount == 0)
        return 1;
    const QString outputFolder = dir.path() + QLatin1Char('/');
    const int zoom = picture ? kPictureZoom : 0;
    const long rssBefore = bench::statusKib("VmRSS:");

    double workerBest = 1e9;
    double workerCpu = 1e9;
    double toolBest = 1e9;
    double toolCpu = 1e9;
    qint64 bookBytes = 0;
    long peakAtEnd = -1;
    long rssAtEnd = -1;
    for (int round = 0; round < kRounds; ++round) {
        const QString name = QStringLiteral("bench-%1.epub").arg(round);
        const taskFigures figures = convertOnce(pdf, pageCount, zoom, outputFolder, name);
        if (!figures.succeeded) {
            std::fprintf(stderr, "the conversion failed (see the log in %s)\n", qPrintable(QDir::tempPath()));
            return 1;
        }
        if (round == 0) {
            rssAtEnd = bench::statusKib("VmRSS:");
            peakAtEnd = bench::statusKib("VmHWM:");
        }
        workerBest = std::min(workerBest, figures.seconds);
        workerCpu = std::min(workerCpu, figures.cpu);
        bookBytes = figures.bookBytes;
        const toolFigures tool = referenceOnce(picture, pdf, pageCount, dir.filePath(QStringLiteral("reference")));
        if (tool.seconds < 0) {
            std::fprintf(stderr, "%s failed\n", picture ? "pdftoppm" : "mutool draw");
            return 1;
        }
        toolBest = std::min(toolBest, tool.seconds);
        toolCpu = std::min(toolCpu, tool.cpu);
    }
    rusage children = {};
    getrusage(RUSAGE_CHILDREN, &children);

    const char* toolName = picture ? "pdftoppm -jpeg -r 144" : "mutool draw -F stext";
    std::printf("%s mode%s: %s, %d pages, book %lld bytes\n", picture ? "Picture" : "Text",
                picture ? " at zoom 200" : "", qPrintable(pdf), pageCount, static_cast<long long>(bookBytes));
    std::printf("  worker, whole task:      %.3f s, %.1f pages/s (best of %d)\n", workerBest,
                pageCount / workerBest, kRounds);
    std::printf("  worker, processor time:  %.3f s\n", workerCpu);
    std::printf("  %-24s %.3f s, %.1f pages/s (best of %d)\n", (QByteArray(toolName) + ':').constData(), toolBest,
                pageCount / toolBest, kRounds);
    std::printf("  tool, processor time:    %.3f s\n", toolCpu);
    std::printf("  time ratio:              %.2f (worker / tool)\n", workerBest / toolBest);
    std::printf("  memory, worker:          RSS %ld KiB before; after a tenth of the pages RSS %ld KiB, peak %ld KiB;"
                " after all RSS %ld KiB, peak %ld KiB\n",
                rssBefore, g_rssAtTenth.load(), g_peakAtTenth.load(), rssAtEnd, peakAtEnd);
    std::printf("  memory, tool:            peak %ld KiB\n", children.ru_maxrss);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // Files named on the command line are where the caller stands; the book
    // templates lie beside the program, as for the program itself.
    const QDir caller(QDir::currentPath());
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    QString mode;
    QString pdf;
    QString written;
    int pages = 100;
    bool peak = false;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("text") || argument == QLatin1String("picture"))
            mode = argument;
        else if (argument == QLatin1String("--pages") && i + 1 < arguments.size())
            pages = arguments.at(++i).toInt();
        else if (argument == QLatin1String("--peak"))
            peak = true;
        else if (argument == QLatin1String("--pictures"))
            g_extras.pictures = true;
        else if (argument == QLatin1String("--hyphenated"))
            g_extras.hyphenated = true;
        else if (argument == QLatin1String("--write") && i + 1 < arguments.size())
            written = caller.absoluteFilePath(arguments.at(++i));
        else
            pdf = caller.absoluteFilePath(argument);
    }
    if (pages < 1) {
        std::fprintf(stderr, "usage: worker_bench [text|picture] [--pages N] [--pictures] [--hyphenated] [--peak]"
                             " [file.pdf]\n       worker_bench --write file.pdf [--pages N] [--pictures]"
                             " [--hyphenated]\n");
        return 2;
    }
    if (!written.isEmpty()) {
        const QString error = bench::makeTextHeavyPdf(written, pages, g_extras);
        if (!error.isEmpty())
            std::fprintf(stderr, "cannot make the PDF: %s\n", qPrintable(error));
        return error.isEmpty() ? 0 : 1;
    }
    if (!mode.isEmpty())
        return (peak ? runPeak : runMode)(mode == QLatin1String("picture"), pdf, pages);

    // Both modes convert the same PDF, made once here, so neither child's
    // memory holds the making of it.
    QTemporaryDir dir;
    if (benchPdf(pdf, pages, dir, &pdf) == 0)
        return 1;
    int result = 0;
    for (const char* each : {"text", "picture"}) {
        QStringList childArguments = {QLatin1String(each), pdf};
        if (peak)
            childArguments << QStringLiteral("--peak");
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), childArguments);
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            result = 1;
    }
    return result;
}
