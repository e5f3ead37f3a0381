#include "epub_css.h"

#include "epub_page.h"
#include "convert/logwriter.h"

#include <QRegularExpression>

namespace ns_epub {

namespace {

QString centreStyle()
{
    return QStringLiteral("{text-align:center;}");
}

// A colour goes into the style sheet only in a form CSS knows; anything else
// could end the rule early or break the sheet.
QString cssColor(const QString& color)
{
    static const QRegularExpression form(QStringLiteral(
        "^(#[0-9A-Fa-f]{3}|#[0-9A-Fa-f]{6}|[A-Za-z]+|rgba?\\(\\s*[0-9.%]+\\s*(,\\s*[0-9.%]+\\s*){2,3}\\))$"));
    const QString trimmed = color.trimmed();
    return form.match(trimmed).hasMatch() ? trimmed : QString();
}

// A family name as a CSS string, so spaces, quotes and backslashes in it are safe.
QString cssFamily(const QString& family)
{
    QString quoted;
    for (const QChar c : family) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            continue;
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted.trimmed().isEmpty() ? QString() : QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString wordDeclarations(const epubWord* word)
{
    QStringList declarations;
    if (word->fontSize > 0)
        declarations << QStringLiteral("font-size: %1pt").arg(word->fontSize);
    const QString color = cssColor(QString::fromStdString(word->color));
    if (!color.isEmpty())
        declarations << QStringLiteral("color: ") + color;
    const QString family = cssFamily(QString::fromStdString(word->fontFamily));
    if (!family.isEmpty())
        declarations << QStringLiteral("font-family: ") + family;
    if (word->bold)
        declarations << QStringLiteral("font-weight: bold");
    if (word->italic)
        declarations << QStringLiteral("font-style: italic");
    return declarations.join(QStringLiteral("; "));
}

} // namespace

epubCssGenerator::epubCssGenerator() = default;

epubCssGenerator::~epubCssGenerator() = default;

epubCssGenerator* epubCssGenerator::instance()
{
    // Never destroyed: class numbering continues from book to book.
    static epubCssGenerator* const generator = new epubCssGenerator;
    return generator;
}

QString epubCssGenerator::createFontStyle(const epubWord* word) const
{
    if (!word) {
        writeLogEntry("src\\epub_css", 110, "ns_epub::epubCssGenerator::createFontStyle");
        return QString();
    }
    return QStringLiteral("{font-size:%1;color:%2;font-family:%3;%4%5}")
        .arg(QString::number(word->fontSize), QString::fromStdString(word->color),
             QString::fromStdString(word->fontFamily),
             word->bold ? QStringLiteral("font-weight:bold;") : QString(),
             word->italic ? QStringLiteral("font-style:italic;") : QString());
}

QString epubCssGenerator::createLineStyle(const epubLine* line) const
{
    return line && line->centred ? centreStyle() : QString();
}

QString epubCssGenerator::wordStyleClass(const epubWord* word)
{
    const QString style = createFontStyle(word);
    return classFor(style, word ? wordDeclarations(word) : QString());
}

QString epubCssGenerator::lineStyleClass(const epubLine* line)
{
    const QString style = createLineStyle(line);
    return classFor(style, style.isEmpty() ? QString() : QStringLiteral("text-align: center"));
}

QString epubCssGenerator::classFor(const QString& style, const QString& declarations)
{
    const auto found = m_classes.constFind(style);
    if (found != m_classes.constEnd())
        return found.value();
    ++m_counter;
    const QString name = QStringLiteral("style") + QString::number(m_counter);
    m_classes.insert(style, name);
    m_declarations.insert(name, declarations);
    return name;
}

QString epubCssGenerator::styleRules(const QStringList& classNames) const
{
    QString rules;
    for (const QString& name : classNames) {
        const auto found = m_declarations.constFind(name);
        if (found == m_declarations.constEnd())
            continue;
        rules += QLatin1Char('.') + name + QStringLiteral(" { ") + found.value();
        rules += found.value().isEmpty() ? QStringLiteral("}\n") : QStringLiteral("; }\n");
    }
    return rules;
}

} // namespace ns_epub
