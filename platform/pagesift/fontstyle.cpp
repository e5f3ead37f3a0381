#include "fontstyle.h"

#include <QRegularExpression>
#include <QString>

namespace conversion {
namespace {

// "ABCDEF+" marks a subset that a PDF writer made; it is not part of the name.
QString withoutSubsetTag(const QString& name)
{
    static const QRegularExpression tag(QStringLiteral("^[A-Z]{6}\\+"));
    QString result = name;
    result.remove(tag);
    return result;
}

bool isStyleSuffix(const QString& suffix)
{
    static const QRegularExpression style(QStringLiteral(
        "^((semi|demi|extra|ultra)?(bold|light)|italic|oblique|regular|roman|book|medium|black|heavy|thin"
        "|normal|condensed|cond|narrow|it|bd|bi|md|lt)+(psmt|mt|ps)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return style.match(suffix).hasMatch();
}

// Text that could end or break a style declaration is left out.
QString cssSafe(const QString& family)
{
    QString result;
    for (const QChar c : family) {
        if (c.category() == QChar::Other_Control || QStringLiteral(";:{}\"'<>&\\").contains(c))
            continue;
        result += c;
    }
    return result.trimmed();
}

} // namespace

fontStyle styleFromFontName(const std::string& name)
{
    const QString full = withoutSubsetTag(QString::fromUtf8(name.c_str()));
    QString family = full;
    QString suffix;
    const qsizetype separator = std::max(full.lastIndexOf(QLatin1Char('-')), full.lastIndexOf(QLatin1Char(',')));
    if (separator > 0 && isStyleSuffix(full.mid(separator + 1))) {
        family = full.left(separator);
        suffix = full.mid(separator + 1);
    }
    // "ArialMT", "TimesNewRomanPS": foundry marks after a lower-case letter.
    static const QRegularExpression foundry(QStringLiteral("(?<=[a-z])(PSMT|MT|PS)$"));
    family.remove(foundry);
    family = cssSafe(family);
    if (family.isEmpty())
        family = cssSafe(full);

    fontStyle style;
    style.family = family.toStdString();
    const QString lower = full.toLower();
    const QString lowerSuffix = suffix.toLower();
    style.bold = lower.contains(QLatin1String("bold")) || lower.contains(QLatin1String("heavy"))
        || lowerSuffix.contains(QLatin1String("black")) || lowerSuffix.startsWith(QLatin1String("bd"))
        || lowerSuffix.startsWith(QLatin1String("bi"));
    style.italic = lower.contains(QLatin1String("italic")) || lower.contains(QLatin1String("oblique"))
        || lowerSuffix.endsWith(QLatin1String("it")) || lowerSuffix == QLatin1String("bi");
    return style;
}

} // namespace conversion
