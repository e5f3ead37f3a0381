#include "epub_page.h"

namespace ns_epub {

epubPage::epubPage() = default;

epubPage::epubPage(const epubPage& other) = default;

epubPage& epubPage::operator=(const epubPage& other)
{
    if (this != &other) {
        m_sections = other.m_sections;
        m_pictures = other.m_pictures;
        m_tables = other.m_tables;
    }
    return *this;
}

epubPage::~epubPage() = default;

void epubPage::addSection(epubSection* section)
{
    m_sections.push_back(section);
}

void epubPage::addPicture(epubPicture* picture)
{
    m_pictures.push_back(picture);
}

void epubPage::addTable(int key, epubTable* table)
{
    m_tables[key] = table;
}

void epubPage::getSections(std::vector<epubSection*>& out)
{
    out = m_sections;
}

void epubPage::getPictures(std::vector<epubPicture*>& out)
{
    out = m_pictures;
}

void epubPage::getTables(std::map<int, epubTable*>& out)
{
    if (&out != &m_tables)
        out = m_tables;
}

bool epubPage::empty()
{
    for (const epubSection* section : m_sections) {
        for (const auto& entry : section->columns) {
            if (!entry.second->lines.empty())
                return false;
        }
    }
    return true;
}

void epubPage::debugOutput()
{
}

void epubPage::clear()
{
    for (epubSection* section : m_sections) {
        for (auto& entry : section->columns) {
            epubColumn* column = entry.second;
            for (epubLine* line : column->lines) {
                if (!line)
                    continue;
                for (epubWord* word : line->words)
                    delete word;
                delete line;
            }
            delete column;
        }
        delete section;
    }
}

} // namespace ns_epub
