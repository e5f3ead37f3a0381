#include "leafbinder_imp.h"

#include "epub_converter.h"
#include "epub_tools.h"
#include "epub_workfolder.h"
#include "epub_zip.h"
#include "fixed_field.h"
#include "leafbinder.h"
#include "convert/logwriter.h"

#include "ZipPlatform.h"

namespace ns_epub {

namespace {

const char kSource[] = "src\\leafbinder";
const char kSetEpubConfig[] = "ns_epub::leafbinderImp::setEpubConfig";

// A name that stays one entry of the output folder.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/'));
}

} // namespace

leafbinderImp::leafbinderImp() = default;

leafbinderImp::~leafbinderImp()
{
    if (!m_workFolder)
        return;
    epubStdMgr* manager = epubStdMgr::instance();
    if (manager->heldWorkFolder() == m_workFolder.get())
        manager->holdWorkFolder(nullptr);
    if (!m_workFolder->remove()) {
        writeLogSite(kSource, __LINE__, "ns_epub::leafbinderImp::~leafbinderImp");
        writeLogLine("the work folder was not removed whole: %s", m_workFolder->path().toUtf8().constData());
    }
}

void leafbinderImp::setEpubConfig(const epubCreationConfig* config)
{
    m_createError = EINVAL;
    if (!config) {
        writeLogEntry(kSource, 31, kSetEpubConfig);
        return;
    }
    const QString bookName = fieldText(config->bookName);
    if (!isPlainName(bookName)) {
        writeLogSite(kSource, __LINE__, kSetEpubConfig);
        writeLogLine("book name refused: \"%s\"", bookName.toUtf8().constData());
        return;
    }
    const QString outputFolder = fieldText(config->outputFolder);
    m_workFolder = epubWorkFolder::create(outputFolder, bookName);
    if (!m_workFolder) {
        m_createError = ZipPlatform::lastError();
        writeLogSite(kSource, __LINE__, kSetEpubConfig);
        writeLogLine("cannot make a new work folder %s", (outputFolder + bookName).toUtf8().constData());
        return;
    }
    m_createError = 0;
    m_config = config;
    epubStdMgr::instance()->holdWorkFolder(m_workFolder.get());
    epubStdMgr::instance()->setWorkFolder(m_workFolder->path());
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
    if (m_config)
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
        writeLogEntry(kSource, 90, "ns_epub::leafbinderFromData::close");
        return false;
    }
    if (!m_converter->hasContent()) {
        // Neither a page nor a cover: every reader would open it blank.
        writeLogSite(kSource, __LINE__, "ns_epub::leafbinderFromData::close");
        writeLogLine("a book without pages is not packed: %s", workFolder().toUtf8().constData());
        return false;
    }
    epubZip zip;
    return zip.runZip(fieldText(m_config->outputFolder), fieldText(m_config->bookName), *m_workFolder);
}

bool leafbinderFromFile::setEpubDir(const char* dir)
{
    m_epubDir = QString::fromUtf8(dir ? dir : "");
    return false;
}

} // namespace ns_epub
