#include "leafbinder.h"

#include "leafbinder_imp.h"

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
