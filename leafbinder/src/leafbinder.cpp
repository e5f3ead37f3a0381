#include "leafbinder.h"

#include "leafbinder_imp.h"

#include "ZipPlatform.h"

namespace ns_epub {

leafbinder::leafbinder() = default;

leafbinder::leafbinder(const leafbinder& other) = default;

leafbinder& leafbinder::operator=(const leafbinder& other) = default;

leafbinder::~leafbinder() = default;

void leafbinder::create(epubCreationConfig* config)
{
    // The old variant goes first, so two books never hold the shared writers
    // at once.
    m_imp.reset();
    if (config->buildFromPages)
        m_imp = std::make_shared<leafbinderFromData>();
    else
        m_imp = std::make_shared<leafbinderFromFile>();
    m_imp->setEpubConfig(config);
    // The system's last error code tells the caller whether the book could
    // be started at all, as the log line of a failure records it.
    ZipPlatform::setLastError(m_imp->createError());
}

void leafbinder::addEpubData(epubPage* page)
{
    if (m_imp)
        m_imp->addEpubData(page);
}

bool leafbinder::close()
{
    return m_imp ? m_imp->close() : false;
}

void leafbinder::setEpubDir(const char* dir)
{
    if (m_imp)
        m_imp->setEpubDir(dir);
}

} // namespace ns_epub
