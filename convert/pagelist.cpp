#include "convert/pagelist.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace utils {

namespace {

const QLatin1Char kItemSeparator(',');
const QLatin1Char kRangeMark('-');

// The two ends of an item "a-b". An empty end, or one that is no number,
// reads as 0; a final "-" of the whole text stands for "to the last page".
struct PageRange {
    int first = 0;
    int last = 0;
};

PageRange rangeOf(const QString& item, const QString& text, int pageCount)
{
    const QStringList ends = item.split(kRangeMark, Qt::KeepEmptyParts);
    PageRange range;
    range.first = ends.value(0).toInt();
    range.last = ends.value(1).toInt();
    if (range.last == 0 && text.endsWith(kRangeMark))
        range.last = pageCount;
    return range;
}

QStringList itemsOf(const QString& text)
{
    QStringList items = text.split(kItemSeparator, Qt::KeepEmptyParts);
    for (QString& item : items)
        item = item.trimmed();
    return items;
}

bool hasOnlyPageCharacters(const QString& text)
{
    // "[\d-,]" of the older pattern syntax reads "-" as a range here and is
    // refused, so the "-" goes last in the class. The whole-text anchoring
    // keeps "$" from accepting a text that ends in a line break.
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("^[\\d,-]+$")));
    return pattern.match(text).hasMatch();
}

// A range needs its first page: an open start reads as page 0. It may leave
// out its last page only when the whole text ends in "-", which then stands
// for the last page of the document.
bool hasBothEnds(const QString& item, const QString& text)
{
    const QStringList ends = item.split(kRangeMark, Qt::KeepEmptyParts);
    return !ends.value(0).isEmpty() && (!ends.value(1).isEmpty() || text.endsWith(kRangeMark));
}

bool isItemValid(const QString& item, const QString& text, int pageCount, bool strictOrder)
{
    if (!item.contains(kRangeMark)) {
        // Page 0 passes only while a new item is being started after a ",".
        const int page = item.toInt();
        return page <= pageCount && (page != 0 || text.endsWith(kItemSeparator));
    }
    if (!hasBothEnds(item, text))
        return false;
    const PageRange range = rangeOf(item, text, pageCount);
    // "3-3" names page 3 alone; only a falling range is out of order.
    if (strictOrder && range.first > range.last)
        return false;
    return range.first >= 1 && range.first <= pageCount;
}

} // namespace

// Translated in the task list's context, where the word is seen.
QString allPagesText()
{
    return QCoreApplication::translate("VuTreeWidget", "All");
}

bool isAllPagesText(const QString& text)
{
    return text.isEmpty() || text.compare(allPagesText(), Qt::CaseInsensitive) == 0
        || text.compare(QLatin1String("All"), Qt::CaseInsensitive) == 0;
}

bool isPageTextValid(const QString& text, int pageCount, bool strictOrder)
{
    if (isAllPagesText(text))
        return true;
    if (!hasOnlyPageCharacters(text))
        return false;
    if (text.contains(QLatin1String("--")) || text.contains(QLatin1String(",,")))
        return false;
    const QStringList items = itemsOf(text);
    for (const QString& item : items) {
        if (!isItemValid(item, text, pageCount, strictOrder))
            return false;
    }
    return true;
}

bool pageTextToList(const QString& text, int pageCount, QStringList* out)
{
    if (isAllPagesText(text))
        return true;
    const QStringList items = itemsOf(text);
    for (const QString& item : items) {
        if (!item.contains(kRangeMark)) {
            out->append(item);
            continue;
        }
        PageRange range = rangeOf(item, text, pageCount);
        range.last = qMin(range.last, pageCount);
        if (range.first > range.last)
            return false;
        // A 64-bit counter, so a range ending at the largest int still ends.
        for (qint64 page = range.first; page <= range.last; ++page)
            out->append(QString::number(page));
    }
    // The empty item after a final "," names no page.
    if (text.endsWith(kItemSeparator) && !out->isEmpty())
        out->removeLast();
    return true;
}

} // namespace utils
