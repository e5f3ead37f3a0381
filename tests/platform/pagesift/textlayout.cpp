#include "textlayout.h"

namespace testpdf {

QStringList addParagraph(PageSpec& page, const QStringList& words, const paragraphStyle& style, double& y)
{
    const double pitch = style.pitch > 0 ? style.pitch : 1.2 * style.size;
    TextRun probe;
    probe.size = style.size;
    probe.font = style.font;
    QStringList lines;
    QString current;
    for (const QString& word : words) {
        const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
        probe.text = candidate;
        const double room = style.width - (lines.isEmpty() ? style.indent : 0);
        if (!current.isEmpty() && textWidth(probe) > room) {
            lines << current;
            current = word;
        } else {
            current = candidate;
        }
    }
    if (!current.isEmpty())
        lines << current;
    for (int i = 0; i < lines.size(); ++i) {
        TextRun run = probe;
        run.text = lines[i];
        run.x = style.x + (i == 0 ? style.indent : 0);
        run.y = y;
        page.runs << run;
        y -= pitch;
    }
    return lines;
}

QStringList numberedWords(const QString& stem, int count, int first)
{
    QStringList words;
    for (int i = 0; i < count; ++i)
        words << stem + QString::number(first + i);
    return words;
}

} // namespace testpdf
