// Text-mode parsing speed and memory: parses every page of a PDF with the
// pagesift layer, then runs `mutool draw -F stext` on the same pages, and
// prints pages per second and peak memory of both.
//
//   pagesift_bench [file.pdf]
//
// Without a file it makes a text-heavy 100-page PDF (two columns of 9 pt
// text, about 1100 words a page) in a temporary folder first.
#include "benchsupport.h"
#include "leafbinder/src/epub_page.h"
#include "leafbinder/src/fixed_field.h"
#include "platform/pagesift/pdfparseconf.h"
#include "platform/pagesift/pdfparseprogress.h"
#include "platform/pagesift/pdfparser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

struct counters {
    int pages = 0;
    long long characters = 0;
    long rssAt10 = 0;
    long peakAt10 = 0;
};
counters g_counters;

bool countPage(void* page)
{
    std::vector<ns_epub::epubSection*> sections;
    static_cast<ns_epub::epubPage*>(page)->getSections(sections);
    for (const ns_epub::epubSection* section : sections)
        for (const auto& column : section->columns)
            for (const ns_epub::epubLine* line : column.second->lines)
                for (const ns_epub::epubWord* word : line->words)
                    g_counters.characters += static_cast<long long>(word->text.size());
    if (++g_counters.pages == 10) {
        g_counters.rssAt10 = bench::statusKib("VmRSS:");
        g_counters.peakAt10 = bench::statusKib("VmHWM:");
    }
    return true;
}

class silentProgress : public conversion::pdfParseProgress {
public:
    int total() const { return pageNumber; }
    bool ok = false;
    void setSuccess(bool value) override { ok = value; }
};

double parseOnce(const QString& path, int pageCount, silentProgress& progress)
{
    conversion::pdfParseConf request;
    ns_epub::setFieldText(request.sourcePath, path);
    for (int page = 1; page <= pageCount; ++page)
        request.pages.push_back(page);
    conversion::pdfParser parser(nullptr);
    parser.setPageParseFunc(countPage);
    parser.setParseProgress(&progress);
    g_counters = counters();
    QElapsedTimer timer;
    timer.start();
    parser.parse(&request);
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double mutoolOnce(const QString& path, int pageCount)
{
    QElapsedTimer timer;
    timer.start();
    QProcess mutool;
    mutool.setStandardOutputFile(QProcess::nullDevice());
    mutool.setStandardErrorFile(QProcess::nullDevice());
    mutool.start(QStringLiteral("mutool"), {QStringLiteral("draw"), QStringLiteral("-F"), QStringLiteral("stext"),
                                            QStringLiteral("-o"), QStringLiteral("/dev/null"), path,
                                            QStringLiteral("1-%1").arg(pageCount)});
    const bool ok = mutool.waitForFinished(-1) && mutool.exitStatus() == QProcess::NormalExit && mutool.exitCode() == 0;
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    return ok ? seconds : -1;
}

int pageCountOf(const QString& path)
{
    // The parser reports the number of existing pages it was asked for.
    silentProgress progress;
    conversion::pdfParseConf request;
    ns_epub::setFieldText(request.sourcePath, path);
    for (int page = 1; page <= 100000; ++page)
        request.pages.push_back(page);
    progress.setCancel(true);
    conversion::pdfParser parser(nullptr);
    parser.setParseProgress(&progress);
    parser.parse(&request);
    return progress.ok ? progress.total() : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("text-heavy.pdf"));
    if (argc <= 1) {
        const QString error = bench::makeTextHeavyPdf(path, 100);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "cannot make the PDF: %s\n", qPrintable(error));
            return 1;
        }
    }
    const int pageCount = pageCountOf(path);
    if (pageCount <= 0) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    const long rssBefore = bench::statusKib("VmRSS:");

    constexpr int kRounds = 3;
    double parserBest = 1e9, mutoolBest = 1e9;
    long long characters = 0;
    for (int round = 0; round < kRounds; ++round) {
        silentProgress progress;
        parserBest = std::min(parserBest, parseOnce(path, pageCount, progress));
        characters = g_counters.characters;
        const double mutool = mutoolOnce(path, pageCount);
        if (mutool < 0) {
            std::fprintf(stderr, "mutool draw failed\n");
            return 1;
        }
        mutoolBest = std::min(mutoolBest, mutool);
    }
    rusage children = {};
    getrusage(RUSAGE_CHILDREN, &children);

    std::printf("file:                  %s (%d pages, %lld characters delivered)\n", qPrintable(path), pageCount,
                characters);
    std::printf("pagesift:              %.3f s, %.1f pages/s (best of %d)\n", parserBest, pageCount / parserBest,
                kRounds);
    std::printf("mutool draw -F stext:  %.3f s, %.1f pages/s (best of %d)\n", mutoolBest, pageCount / mutoolBest,
                kRounds);
    std::printf("time ratio:            %.2f (pagesift / mutool)\n", parserBest / mutoolBest);
    std::printf("memory, pagesift:      RSS %ld KiB before parsing; after 10 pages RSS %ld KiB, peak %ld KiB; "
                "after %d pages RSS %ld KiB, peak %ld KiB\n",
                rssBefore, g_counters.rssAt10, g_counters.peakAt10, pageCount, bench::statusKib("VmRSS:"),
                bench::statusKib("VmHWM:"));
    std::printf("memory, mutool:        peak %ld KiB\n", children.ru_maxrss);
    return 0;
}
