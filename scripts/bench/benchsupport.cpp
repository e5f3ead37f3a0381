#include "benchsupport.h"

#include "pdfmaker.h"

#include <QFile>
#include <QRandomGenerator>

#include <cstring>
#include <iterator>

namespace bench {

namespace {

// A picture of noise, which no page shares and JPEG cannot shrink much.
testpdf::ImageSpec photograph(QRandomGenerator& random)
{
    QImage image(96, 96, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    testpdf::ImageSpec picture;
    picture.image = image;
    picture.rect = QRectF(230, 360, 150, 150);
    picture.format = "JPEG";
    return picture;
}

// Words a typesetter breaks at line ends, and compounds written with a
// hyphen of their own.
const char* const kLongWords[] = {"conversion", "paragraph", "structured", "extraction", "document", "together"};
const char* const kCompounds[] = {"low-level", "well-known", "camera-ready", "read-only", "so-called"};

// The line's text ends in the first part of a broken word, whose rest is
// returned to begin the next line.
QString breakAtLineEnd(QString& line, QRandomGenerator& random)
{
    if (random.bounded(2) == 0) {
        const QString compound = QLatin1String(kCompounds[random.bounded(int(std::size(kCompounds)))]);
        const qsizetype hyphen = compound.indexOf(QLatin1Char('-'));
        line += compound.left(hyphen + 1);
        return compound.mid(hyphen + 1) + QLatin1Char(' ');
    }
    const QString word = QLatin1String(kLongWords[random.bounded(int(std::size(kLongWords)))]);
    const int cut = 3 + random.bounded(int(word.size()) - 5);
    line += word.left(cut) + QLatin1Char('-');
    return word.mid(cut) + QLatin1Char(' ');
}

} // namespace

QString makeTextHeavyPdf(const QString& path, int pageCount, pdfExtras extras)
{
    static const char* vocabulary[] = {
        "the", "of", "and", "a", "to", "in", "is", "you", "that", "it", "he", "was", "for", "on", "are", "as",
        "with", "his", "they", "at", "be", "this", "have", "from", "or", "one", "had", "by", "word", "but",
        "not", "what", "all", "were", "we", "when", "your", "can", "said", "there", "use", "an", "each",
        "which", "she", "do", "how", "their", "if", "will", "up", "other", "about", "out", "many", "then",
        "them", "these", "so", "some", "her", "would", "make", "like", "him", "into", "time", "has", "look",
        "two", "more", "write", "go", "see", "number", "no", "way", "could", "people", "my", "than", "first",
        "water", "been", "call", "who", "oil", "its", "now", "find", "long", "down", "day", "did", "get",
        "come", "made", "may", "part", "conversion", "paragraph", "structured", "extraction", "reading"};
    QRandomGenerator random(42);
    testpdf::DocSpec doc;
    for (int n = 0; n < pageCount; ++n) {
        testpdf::PageSpec page;
        testpdf::TextRun heading;
        heading.text = QStringLiteral("Chapter %1").arg(n + 1);
        heading.font = QStringLiteral("Helvetica-Bold");
        heading.size = 16;
        heading.x = 306;
        heading.y = 750;
        heading.align = Qt::AlignHCenter;
        page.runs << heading;
        for (int column = 0; column < 2; ++column) {
            double y = 720;
            QString carried;
            while (y > 60) {
                QString line = carried;
                carried.clear();
                // A broken word's first part needs room at the line end,
                // and the column's last line breaks none.
                const bool breaking = extras.hyphenated && y > 80 && random.bounded(3) == 0;
                while (line.size() < (breaking ? 44 : 52)) {
                    if (extras.hyphenated && random.bounded(40) == 0)
                        line += QLatin1String(kCompounds[random.bounded(int(std::size(kCompounds)))]) + QLatin1Char(' ');
                    else
                        line += QLatin1String(vocabulary[random.bounded(int(std::size(vocabulary)))]) + QLatin1Char(' ');
                }
                if (breaking)
                    carried = breakAtLineEnd(line, random);
                testpdf::TextRun run;
                run.text = line.trimmed();
                run.font = random.bounded(20) == 0 ? QStringLiteral("Times-Italic") : QStringLiteral("Times-Roman");
                run.size = 9;
                run.x = column == 0 ? 54 : 318;
                run.y = y;
                page.runs << run;
                y -= random.bounded(12) == 0 ? 16 : 11;
            }
        }
        if (extras.pictures)
            page.images << photograph(random);
        doc.pages << page;
    }
    QString error;
    if (!testpdf::writePdf(path, doc, &error))
        return error;
    return QString();
}


long statusKib(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(std::strlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

bool restartPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

} // namespace bench
