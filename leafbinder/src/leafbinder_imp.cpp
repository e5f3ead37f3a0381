#include "leafbinder_imp.h"

#include "epub_converter.h"
#include "epub_tools.h"
#include "epub_zip.h"
#include "fixed_field.h"
#include "leafbinder.h"
#include "convert/logwriter.h"

namespace ns_epub {

leafbinderImp::~leafbinderImp() = default;

void leafbinderImp::setEpubConfig(const epubCreationConfig* config)
{
    if (!config) {
        writeLogEntry("src\\leafbinder", 31, "ns_epub::leafbinderImp::setEpubConfig");
        return;
    }
    m_config = config;
    epubStdMgr::instance()->setWorkFolder(workFolder());
}

void leafbinderImp::addEpubData(epubPage*)
{
}

bool leafbinderImp::setEpubDir(const char*)
{
    return false;
}

bool leafbinderImp::close()
{
    return false;
}

QString leafbinderImp::workFolder() const
{
    return fieldText(m_config->outputFolder) + fieldText(m_config->bookName);
}

leafbinderFromData::leafbinderFromData()
    : m_converter(std::make_unique<epubConverter>())
{
}

leafbinderFromData::~leafbinderFromData() = default;

void leafbinderFromData::setEpubConfig(const epubCreationConfig* config)
{
    leafbinderImp::setEpubConfig(config);
    if (m_config) {
        m_converter->setOutputFolder(workFolder());
        m_converter->setBookName(fieldText(m_config->bookName));
    }
}

void leafbinderFromData::addEpubData(epubPage* page)
{
    m_converter->convertPage(page);
}

bool leafbinderFromData::close()
{
    if (!m_config)
        return false;
    // Every step runs, so the shared writers are saved and back at their
    // templates whatever failed; a book with a missing or broken document is
    // not packed.
    bool finished = m_converter->allPagesWritten();
    finished = m_converter->finishBook(m_config->pubInfo) && finished;
    finished = m_converter->finishManifest() && finished;
    finished = m_converter->finishStyleSheet() && finished;
    if (!finished) {
        writeLogEntry("src\\leafbinder", 90, "ns_epub::leafbinderFromData::close");
        return false;
    }
    epubZip zip;
    return zip.runZip(fieldText(m_config->outputFolder), fieldText(m_config->bookName));
}

bool leafbinderFromFile::setEpubDir(const char* dir)
{
    m_epubDir = QString::fromUtf8(dir ? dir : "");
    return false;
}

} // namespace ns_epub
