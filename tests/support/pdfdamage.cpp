#include "pdfdamage.h"

#include <QList>
#include <QRegularExpression>

namespace testpdf {

QByteArray truncatedAt(const QByteArray& pdf, const QByteArray& text)
{
    const qsizetype at = pdf.indexOf(text);
    return at < 0 ? pdf : pdf.left(at);
}

QByteArray withoutObjectHolding(const QByteArray& pdf, const QByteArray& text, bool blanked)
{
    const qsizetype at = pdf.indexOf(text);
    if (at < 0)
        return pdf;
    const qsizetype start = pdf.lastIndexOf('\n', pdf.lastIndexOf(" 0 obj", at)) + 1;
    const qsizetype end = pdf.indexOf("endobj", at) + 6;
    QByteArray damaged = pdf;
    if (blanked)
        return damaged.replace(start, end - start, QByteArray(end - start, ' '));
    return damaged.remove(start, end - start);
}

QByteArray withStreamDataSpoiled(const QByteArray& pdf, const QByteArray& text)
{
    const qsizetype data = pdf.indexOf("stream", pdf.indexOf(text)) + 7;
    const qsizetype end = pdf.indexOf("endstream", data);
    const qsizetype middle = (data + end) / 2;
    QByteArray damaged = pdf;
    return damaged.replace(middle, end - middle, QByteArray(end - middle, ' '));
}

QByteArray withShiftedXref(const QByteArray& pdf, int object)
{
    const qsizetype table = pdf.lastIndexOf("\nxref");
    QList<QByteArray> lines = pdf.mid(table).split('\n');
    static const QRegularExpression entry(QStringLiteral("^(\\d{10}) \\d{5} ([nf])"));
    int number = 0;   // the table starts at object 0
    for (QByteArray& line : lines) {
        const QRegularExpressionMatch match = entry.match(QString::fromLatin1(line));
        if (!match.hasMatch())
            continue;
        if (match.captured(2) == QLatin1String("n") && (object < 0 || number == object))
            line.replace(0, 10, QByteArray::number(match.captured(1).toLongLong() + 7).rightJustified(10, '0'));
        ++number;
    }
    return pdf.left(table) + lines.join('\n');
}

QByteArray withWrongStartxref(const QByteArray& pdf)
{
    const qsizetype at = pdf.lastIndexOf("startxref");
    const qsizetype start = pdf.indexOf('\n', at) + 1;
    const qsizetype end = pdf.indexOf('\n', start);
    const QByteArray middle = QByteArray::number(pdf.size() / 2).rightJustified(end - start, '0');
    return pdf.left(start) + middle + pdf.mid(end);
}

} // namespace testpdf
