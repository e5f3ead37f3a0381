// Packs a folder with the ZIP engine at its default level and compares it, in
// one run, with Info-ZIP's "zip -r -6 -X" and with zlib alone deflating the
// same bytes at level 6. Each contender runs in a child process of its own, so
// its time and peak memory are its own; the best of several rounds counts.
//
//   zip_bench --make-folder DIR [--size MB]   writes a mixed folder: XHTML-like
//                                             text and already-compressed JPEGs
//   zip_bench DIR [--out FOLDER] [--runs N]   measures, N rounds (default 5)
#include "ZipArchive.h"
#include "ZipException.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Result {
    double seconds = 0;
    double cpuSeconds = 0;   // user + system: less swayed by other load on the machine
    long peakKiB = 0;
    bool ok = false;
};

double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Runs work in a child; its wall time and peak resident memory.
template <typename Work>
Result inChild(Work work)
{
    const double start = now();
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work() ? 0 : 1);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Result result;
    result.seconds = now() - start;
    result.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result.peakKiB = usage.ru_maxrss;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

QStringList filesOf(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

qint64 totalBytes(const QStringList& files)
{
    qint64 total = 0;
    for (const QString& file : files)
        total += QFileInfo(file).size();
    return total;
}

// Reads everything once so every contender finds the files in the cache.
void warmCache(const QStringList& files)
{
    std::vector<char> buffer(1 << 20);
    for (const QString& path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            while (file.read(buffer.data(), qint64(buffer.size())) > 0) {
            }
    }
}

bool packWithEngine(const QString& folder, const QString& archive)
{
    try {
        CZipArchive zip;
        zip.openArchive(archive, CZipArchive::zipCreate);
        zip.addFolderFilesWithMask(folder, QStringLiteral("*"), true, -1, true, 7, 65536);
        zip.closeArchive();
        return true;
    } catch (const CZipException& e) {
        std::fprintf(stderr, "engine: %s\n", e.what());
        return false;
    }
}

bool packWithInfoZip(const QString& folder, const QString& archive)
{
    QFile::remove(archive);
    if (chdir(QFile::encodeName(folder).constData()) != 0)
        return false;
    const QByteArray target = QFile::encodeName(archive);
    const int devnull = ::open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    execlp("zip", "zip", "-q", "-r", "-6", "-X", target.constData(), ".", static_cast<char*>(nullptr));
    return false;
}

bool deflateWithZlib(const QStringList& files)
{
    std::vector<unsigned char> in(65536);
    std::vector<unsigned char> out(131072);
    unsigned long long produced = 0;
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        z_stream z{};
        if (deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return false;
        int flush = Z_NO_FLUSH;
        do {
            const qint64 got = file.read(reinterpret_cast<char*>(in.data()), qint64(in.size()));
            if (got < 0)
                return false;
            flush = got < qint64(in.size()) ? Z_FINISH : Z_NO_FLUSH;
            z.next_in = in.data();
            z.avail_in = uInt(got);
            do {
                z.next_out = out.data();
                z.avail_out = uInt(out.size());
                deflate(&z, flush);
                produced += out.size() - z.avail_out;
            } while (z.avail_out == 0);
        } while (flush != Z_FINISH);
        deflateEnd(&z);
    }
    return produced > 0;
}

// --- The test folder ---------------------------------------------------------

QByteArray makeText(QRandomGenerator& random, const QList<QByteArray>& words, int size)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
                      "<head><link href=\"sheetstyle.css\" rel=\"stylesheet\" type=\"text/css\"/></head>\n<body>\n";
    while (text.size() < size) {
        text += "<p class=\"c" + QByteArray::number(random.bounded(40)) + "\">";
        const int count = 20 + random.bounded(120);
        for (int i = 0; i < count; ++i) {
            // Roughly Zipf: small indexes far more often.
            const double u = random.generateDouble();
            const int index = std::min(int(words.size() - 1), int(std::pow(double(words.size()), u * u)));
            text += words.at(index);
            text += (random.bounded(12) == 0) ? ". " : " ";
        }
        text += "</p>\n";
    }
    return text + "</body>\n</html>\n";
}

QImage makePicture(QRandomGenerator& random)
{
    QImage image(1600, 1200, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor::fromHsv(random.bounded(360), 80, 200));
    for (int i = 0; i < 60; ++i)
        painter.fillRect(random.bounded(1600), random.bounded(1200), random.bounded(600), random.bounded(400),
                         QColor::fromHsv(random.bounded(360), random.bounded(256), random.bounded(256)));
    painter.end();
    // Noise like a photograph's grain, so the JPEG carries real entropy.
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(48)) - 24;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + n, 0, 255), std::clamp(qGreen(p) + n, 0, 255),
                           std::clamp(qBlue(p) + n, 0, 255));
        }
    }
    return image;
}

bool makeFolder(const QString& folder, qint64 megabytes)
{
    QRandomGenerator random(20260101);
    QList<QByteArray> words;
    static const char* const syllables[] = {"ka", "lo", "mi", "ren", "sta", "ve", "dor", "an", "the", "qu",
                                            "ell", "ion", "pa", "tri", "so", "ung", "er", "li", "ma", "no"};
    for (int i = 0; i < 3000; ++i) {
        QByteArray word;
        const int parts = 1 + random.bounded(4);
        for (int p = 0; p < parts; ++p)
            word += syllables[random.bounded(20)];
        words << word;
    }
    const qint64 target = megabytes * 1024 * 1024;
    qint64 textBytes = 0;
    qint64 pictureBytes = 0;
    int page = 0;
    int picture = 0;
    // Half text, half pictures.
    while (textBytes + pictureBytes < target) {
        QString path;
        if (textBytes <= pictureBytes) {
            path = QStringLiteral("%1/OEBPS/part-%2/page-%3.html").arg(folder, QString::number(page / 100), QString::number(page));
            QDir().mkpath(QFileInfo(path).absolutePath());
            const QByteArray text = makeText(random, words, 20000 + random.bounded(180000));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
                return false;
            textBytes += text.size();
            ++page;
        } else {
            path = QStringLiteral("%1/OEBPS/images/picture-%2.jpg").arg(folder, QString::number(picture++));
            QDir().mkpath(QFileInfo(path).absolutePath());
            if (!makePicture(random).save(path, "JPEG", 85))
                return false;
            pictureBytes += QFileInfo(path).size();
        }
    }
    std::printf("%s: %d text files (%.1f MB), %d JPEG files (%.1f MB)\n", qPrintable(folder), page,
                textBytes / 1048576.0, picture, pictureBytes / 1048576.0);
    return true;
}

void report(const char* name, const Result& result, qint64 bytes)
{
    if (!result.ok) {
        std::printf("%-22s failed\n", name);
        return;
    }
    std::printf("%-22s %7.2f s %7.1f MB/s | cpu %7.2f s %7.1f MB/s | %6.1f MB peak RSS\n", name,
                result.seconds, bytes / 1048576.0 / result.seconds, result.cpuSeconds,
                bytes / 1048576.0 / result.cpuSeconds, result.peakKiB / 1024.0);
}

void keepBest(Result& best, const Result& run)
{
    if (!run.ok) {
        best.ok = false;
        return;
    }
    if (best.seconds == 0 || run.seconds < best.seconds) {
        best.seconds = run.seconds;
        best.peakKiB = run.peakKiB;
    }
    if (best.cpuSeconds == 0 || run.cpuSeconds < best.cpuSeconds)
        best.cpuSeconds = run.cpuSeconds;
}

} // namespace

int main(int argc, char* argv[])
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    auto option = [&](const QString& name, const QString& fallback) {
        const int at = int(args.indexOf(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
    };
    if (args.size() >= 2 && args.first() == QLatin1String("--make-folder")) {
        return makeFolder(QDir(args.at(1)).absolutePath(), option(QStringLiteral("--size"), QStringLiteral("200")).toLongLong())
            ? 0 : 1;
    }
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--"))) {
        std::fprintf(stderr, "usage: zip_bench --make-folder DIR [--size MB]\n"
                             "       zip_bench DIR [--out FOLDER] [--runs N]\n");
        return 2;
    }

    const QString folder = QDir(args.first()).absolutePath();
    const QString out = QDir(option(QStringLiteral("--out"), QDir::tempPath())).absolutePath();
    const int runs = std::max(1, option(QStringLiteral("--runs"), QStringLiteral("5")).toInt());
    const QStringList files = filesOf(folder);
    const qint64 bytes = totalBytes(files);
    std::printf("%s: %lld files, %.1f MB; best of %d rounds\n", qPrintable(folder), static_cast<long long>(files.size()),
                bytes / 1048576.0, runs);
    warmCache(files);

    const QString engineArchive = out + QStringLiteral("/zip_bench_engine.zip");
    const QString infoZipArchive = out + QStringLiteral("/zip_bench_infozip.zip");
    // Round by round, so a machine whose speed drifts treats all three alike.
    Result engine;
    Result infoZip;
    Result zlib;
    engine.ok = infoZip.ok = zlib.ok = true;
    for (int round = 0; round < runs; ++round) {
        keepBest(engine, inChild([&] { return packWithEngine(folder, engineArchive); }));
        keepBest(infoZip, inChild([&] { return packWithInfoZip(folder, infoZipArchive); }));
        keepBest(zlib, inChild([&] { return deflateWithZlib(files); }));
    }

    report("engine (level -1)", engine, bytes);
    report("zip -r -6 -X", infoZip, bytes);
    report("zlib deflate level 6", zlib, bytes);
    std::printf("archive sizes: engine %.1f MB, zip %.1f MB\n", QFileInfo(engineArchive).size() / 1048576.0,
                QFileInfo(infoZipArchive).size() / 1048576.0);
    if (engine.ok && zlib.ok && infoZip.ok) {
        std::printf("engine / zlib: wall %.3f, cpu %.3f\n", engine.seconds / zlib.seconds,
                    engine.cpuSeconds / zlib.cpuSeconds);
        std::printf("engine / zip:  wall %.3f, cpu %.3f\n", engine.seconds / infoZip.seconds,
                    engine.cpuSeconds / infoZip.cpuSeconds);
    }
    QFile::remove(engineArchive);
    QFile::remove(infoZipArchive);
    return engine.ok && infoZip.ok && zlib.ok ? 0 : 1;
}
