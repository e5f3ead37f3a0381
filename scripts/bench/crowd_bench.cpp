// Many conversions of one PDF into one output folder at once, each in a
// process of its own (a process has one book builder) and each picking its
// book's name as the window does, all at the same moment. Afterwards every
// book a conversion reported as made must be whole, and no reserved book
// file and no work folder may be left in the folder.
//
//   crowd_bench [--tasks N] [--rounds R] [--pages P] [--picture] [--keep] [file.pdf]
//
// Without a file a text-heavy PDF of P pages (default 40) is made first.
// Defaults: 20 tasks, 10 rounds, Text mode. A book counts as whole when
// Info-ZIP finds no fault in it and it holds one "page-<n>.html" per page.
// With --keep the output folders stay, to compare the books of two builds.
#include "benchsupport.h"
#include "convert/outputname.h"
#include "convert/pdfgraber.h"
#include "convert/vuconsolethread.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// One conversion, as the window starts it: the name is picked the moment
// the driver says go. Prints the book's name and whether it was made.
int convertOne(const QString& pdf, int pageCount, const QString& folder, bool picture)
{
    std::string go;
    std::getline(std::cin, go);
    QString name = utils::bookNameOf(pdf);
    utils::uniqueOutputName(name, folder, QStringLiteral("epub"));
    VuConsoleThread worker;
    QEventLoop loop;
    bool made = false;
    QObject::connect(&worker, &VuConsoleThread::sglTaskComplete, &loop, [&](QTreeWidgetItem*, bool, bool ok) {
        made = ok;
        loop.quit();
    });
    worker.startTask(nullptr, QStringList(), pageCount, pdf, folder, name, QString(), QString(), picture ? 100 : 0,
                     QRect());
    loop.exec();
    worker.wait();
    std::printf("%s %s\n", qPrintable(name), made ? "made" : "failed");
    return 0;
}

int pageCountOf(const QString& pdf)
{
    PDFGraber graber;
    return graber.open(pdf, QString()) ? graber.pageCount() : 0;
}

// Whether the book passes Info-ZIP's test and holds pageCount pages.
bool isWhole(const QString& book, int pageCount)
{
    QProcess test;
    test.start(QStringLiteral("unzip"), {QStringLiteral("-tqq"), book});
    if (!test.waitForFinished(-1) || test.exitCode() != 0)
        return false;
    QProcess list;
    list.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), book});
    if (!list.waitForFinished(-1) || list.exitCode() != 0)
        return false;
    const QRegularExpression page(QStringLiteral("^OEBPS/page-\\d+\\.html$"), QRegularExpression::MultilineOption);
    return QString::fromUtf8(list.readAllStandardOutput()).count(page) == pageCount;
}

struct roundFigures {
    int made = 0;
    int whole = 0;
    int failed = 0;
    int sharedNames = 0;      // tasks that picked a name another task picked too
    QStringList leftovers;
};

roundFigures runRound(const QString& pdf, int pageCount, const QString& folder, int tasks, bool picture)
{
    std::vector<std::unique_ptr<QProcess>> children;
    for (int i = 0; i < tasks; ++i) {
        auto child = std::make_unique<QProcess>();
        QStringList arguments = {QStringLiteral("--convert"), pdf, QString::number(pageCount), folder};
        if (picture)
            arguments << QStringLiteral("--picture");
        child->start(QCoreApplication::applicationFilePath(), arguments);
        child->waitForStarted(-1);
        children.push_back(std::move(child));
    }
    // All at once: each write goes out at once, not when the event loop runs.
    for (auto& child : children) {
        child->write("go\n");
        child->waitForBytesWritten(-1);
    }
    roundFigures figures;
    QStringList names;
    for (auto& child : children) {
        child->waitForFinished(-1);
        const QStringList words = QString::fromUtf8(child->readAllStandardOutput()).split(QLatin1Char(' '));
        names << words.first();
        if (words.value(1).trimmed() == QLatin1String("made")) {
            ++figures.made;
            if (isWhole(folder + words.first(), pageCount))
                ++figures.whole;
        } else {
            ++figures.failed;
        }
    }
    for (const QString& name : names)
        figures.sharedNames += names.count(name) > 1 ? 1 : 0;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                             | QDir::NoDotAndDotDot)) {
        if (entry.isDir() || entry.fileName().endsWith(QLatin1String(".part")))
            figures.leftovers << entry.fileName();
    }
    return figures;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The book templates lie beside the program, as for the program itself.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool picture = arguments.contains(QLatin1String("--picture"));
    if (arguments.value(0) == QLatin1String("--convert"))
        return convertOne(arguments.value(1), arguments.value(2).toInt(), arguments.value(3), picture);

    int tasks = 20;
    int rounds = 10;
    int pages = 40;
    QString pdf;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--tasks") && i + 1 < arguments.size())
            tasks = arguments.at(++i).toInt();
        else if (argument == QLatin1String("--rounds") && i + 1 < arguments.size())
            rounds = arguments.at(++i).toInt();
        else if (argument == QLatin1String("--pages") && i + 1 < arguments.size())
            pages = arguments.at(++i).toInt();
        else if (argument != QLatin1String("--picture") && argument != QLatin1String("--keep"))
            pdf = QFileInfo(argument).absoluteFilePath();
    }
    QTemporaryDir dir;
    dir.setAutoRemove(!arguments.contains(QLatin1String("--keep")));
    if (pdf.isEmpty()) {
        pdf = dir.filePath(QStringLiteral("Crowd.pdf"));
        const QString error = bench::makeTextHeavyPdf(pdf, pages);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "cannot make the PDF: %s\n", qPrintable(error));
            return 1;
        }
    }
    const int pageCount = pageCountOf(pdf);
    if (pageCount < 1 || tasks < 1 || rounds < 1) {
        std::fprintf(stderr,
                     "usage: crowd_bench [--tasks N] [--rounds R] [--pages P] [--picture] [--keep] [file.pdf]\n");
        return 2;
    }
    std::printf("%d conversions at once of %s (%d pages, %s mode), %d rounds\n", tasks, qPrintable(pdf), pageCount,
                picture ? "Picture" : "Text", rounds);
    int result = 0;
    for (int round = 1; round <= rounds; ++round) {
        const QString folder = dir.filePath(QStringLiteral("out-%1/").arg(round));
        QDir().mkpath(folder);
        const roundFigures figures = runRound(pdf, pageCount, folder, tasks, picture);
        std::printf("round %2d: %2d picked a name another picked too; %2d made, %2d of them whole; %2d failed;"
                    " left in the folder: %s\n",
                    round, figures.sharedNames, figures.made, figures.whole, figures.failed,
                    figures.leftovers.isEmpty() ? "nothing" : qPrintable(figures.leftovers.join(QLatin1Char(' '))));
        if (figures.whole != figures.made || !figures.leftovers.isEmpty())
            result = 1;
    }
    return result;
}
