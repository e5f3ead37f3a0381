#include "pdfparser.h"

#include "parserun.h"

namespace conversion {

pdfParser::pdfParser(pdfParseConf* conf)
    : m_conf(conf)
{
}

void pdfParser::setParseProgress(pdfParseProgress* progress)
{
    m_progress = progress;
}

void pdfParser::setPageParseFunc(pageParseFunc func)
{
    m_pageFunc = func;
}

void pdfParser::setPictureFolder(const QString& folder)
{
    m_pictureFolder = folder;
}

QString pdfParser::pictureFolder() const
{
    return m_pictureFolder;
}

void pdfParser::setCompoundsHook(std::function<void(compoundsReading&)> hook)
{
    m_compoundsHook = std::move(hook);
}

void pdfParser::parse(pdfParseConf* conf)
{
    parseRun run(m_progress, m_pageFunc, m_pictureFolder, m_compoundsHook);
    run.run(conf ? conf : m_conf);
    m_lastError = run.problems();
    m_unreadPages = run.unreadPages();
}

QString pdfParser::lastError() const
{
    return m_lastError;
}

std::vector<int> pdfParser::unreadPages() const
{
    return m_unreadPages;
}

} // namespace conversion
