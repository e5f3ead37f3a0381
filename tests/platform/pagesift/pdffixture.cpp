#include "pdffixture.h"

QString PdfTest::make(const QString& name, const testpdf::DocSpec& spec)
{
    const QString path = m_dir.filePath(name);
    QString error;
    EXPECT_TRUE(testpdf::writePdf(path, spec, &error)) << error.toStdString();
    return path;
}

parsed::result PdfTest::parseChecked(const parsed::request& what, int pageCount)
{
    parsed::result out;
    parsed::parse(what, out);
    std::vector<int> delivered;
    for (const int page : what.pages)
        if (page >= 1 && page <= pageCount)
            delivered.push_back(page);
    for (size_t i = 0; i < out.pages.size() && i < delivered.size(); ++i) {
        const parsed::page& page = out.pages[i];
        EXPECT_TRUE(page.structureOk) << "page " << delivered[i] << "\n" << describe(page);
        QStringList missing;
        const double recall =
            parsed::wordRecall(what.path, delivered[i], page, {what.password1, what.password2}, &missing);
        EXPECT_GE(recall, 0.99) << "page " << delivered[i] << " misses " << missing.join(' ').toStdString() << "\n"
                                << describe(page);
    }
    return out;
}

parsed::result PdfTest::parseAll(const QString& path, int pageCount)
{
    parsed::request what;
    what.path = path;
    for (int page = 1; page <= pageCount; ++page)
        what.pages.push_back(page);
    return parseChecked(what, pageCount);
}

std::string describe(const parsed::page& page)
{
    QString out;
    int s = 0;
    for (const parsed::section& section : page.sections) {
        out += QStringLiteral("section %1\n").arg(s++);
        int c = 0;
        for (const parsed::column& column : section.columns) {
            out += QStringLiteral("  column %1\n").arg(c++);
            for (const parsed::line& line : column.lines) {
                out += QStringLiteral("    %1%2%3 ").arg(line.endsParagraph ? QStringLiteral("P") : QStringLiteral("-"),
                                                         line.centred ? QStringLiteral("C") : QStringLiteral("-"),
                                                         line.rightToLeft ? QStringLiteral("R") : QStringLiteral("-"));
                for (const parsed::run& run : line.runs)
                    out += QStringLiteral("[%1 %2 %3%4%5|%6]")
                               .arg(run.family, QString::number(run.size), run.color,
                                    run.bold ? QStringLiteral(" b") : QString(),
                                    run.italic ? QStringLiteral(" i") : QString(), run.text);
                out += QLatin1Char('\n');
            }
        }
    }
    for (const parsed::picture& picture : page.pictures)
        out += QStringLiteral("picture %1\n").arg(picture.path);
    return out.toStdString();
}
