#include "FileFilter.h"

namespace ZipArchiveLib {

CFileFilter::CFileFilter(bool inverted)
    : m_inverted(inverted)
{
}

CFileFilter::~CFileFilter() = default;

bool CFileFilter::handlesItem(const CFileInfo& info) const
{
    return !info.isDirectory();
}

bool CFileFilter::accept(const QString&, const QString&, const CFileInfo&) const
{
    return true;
}

bool CFileFilter::evaluate(const QString& parentDirectory, const QString& name, const CFileInfo& info) const
{
    const bool result = accept(parentDirectory, name, info);
    return (!handlesInversion() && m_inverted) ? !result : result;
}

CNameFileFilter::CNameFileFilter(const QString& pattern, bool inverted, int appliesTo, bool caseSensitive)
    : CFileFilter(inverted), m_matcher(pattern, caseSensitive), m_appliesTo(appliesTo)
{
}

bool CNameFileFilter::handlesItem(const CFileInfo& info) const
{
    return (m_appliesTo & (info.isDirectory() ? toDirectory : toFile)) != 0;
}

bool CNameFileFilter::accept(const QString&, const QString& name, const CFileInfo&) const
{
    return m_matcher.isMatch(name);
}

} // namespace ZipArchiveLib
