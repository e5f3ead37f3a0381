#ifndef FILEFILTER_H
#define FILEFILTER_H

#include "leafbinder_export.h"
#include "FileInfo.h"
#include "Wildcard.h"

#include <QString>

namespace ZipArchiveLib {

// Decides which items of a directory walk are taken. The base filter takes
// every file and does not handle directories (so they are walked, never taken).
class LEAFBINDER_EXPORT CFileFilter {
public:
    explicit CFileFilter(bool inverted = false);

    // Whether this filter decides about the item at all.
    virtual bool handlesItem(const CFileInfo& info) const;
    virtual ~CFileFilter();
    virtual bool accept(const QString& parentDirectory, const QString& name, const CFileInfo& info) const;
    // False for the filters here: the walk applies the inverted flag itself.
    virtual bool handlesInversion() const { return false; }

    // accept(), turned round when the filter is inverted and does not handle
    // inversion itself.
    bool evaluate(const QString& parentDirectory, const QString& name, const CFileInfo& info) const;
    bool isInverted() const { return m_inverted; }
    void setInverted(bool inverted) { m_inverted = inverted; }

private:
    bool m_inverted;
};

// Takes the items whose name matches a wildcard pattern.
class LEAFBINDER_EXPORT CNameFileFilter : public CFileFilter {
public:
    // What the filter applies to.
    enum AppliesTo { toFile = 1, toDirectory = 2, toAll = 3 };

    explicit CNameFileFilter(const QString& pattern = QStringLiteral("*"), bool inverted = false,
                             int appliesTo = toFile, bool caseSensitive = false);

    bool handlesItem(const CFileInfo& info) const override;
    bool accept(const QString& parentDirectory, const QString& name, const CFileInfo& info) const override;

private:
    CWildcard m_matcher;
    int m_appliesTo;
};

} // namespace ZipArchiveLib

#endif
