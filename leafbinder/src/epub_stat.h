#ifndef EPUB_STAT_H
#define EPUB_STAT_H

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace ns_epub {

// What one book has written so far: its page files, the pictures copied
// into its content folder, the style classes its pages use, and whether a
// page was lost. Made afresh for every book.
class convertStat {
public:
    virtual ~convertStat();

    // Appends and returns the next page's file name: page-1.html, page-2.html, ...
    QString nextPageFile();
    const QStringList& pageFiles() const { return m_pageFiles; }

    // Puts a picture into the book's content folder once and returns its name
    // there; an empty text when the picture cannot be read or stored. The
    // name is made of safe characters only, lower-cased suffix, unique in the
    // book ignoring case, and never one kept for the cover. A picture that is
    // not one of the core types (png, jpeg, gif, svg) is stored as PNG.
    QString addPicture(const QString& source);
    // Names of the pictures in the order they were stored; the package
    // declares entry i with the id pictureId(i).
    const QStringList& pictureFiles() const { return m_pictureFiles; }
    static QString pictureId(int index);

    // Remembers that a page uses a style class, each name once, in order.
    void useStyleClass(const QString& name);
    const QStringList& styleClasses() const { return m_styleClasses; }

    // A page that could not be written makes the whole book incomplete.
    void setPageLost() { m_pageLost = true; }
    bool pageLost() const { return m_pageLost; }

private:
    QString uniqueName(const QString& baseName, const QString& suffix) const;

    QStringList m_pageFiles;
    QStringList m_pictureFiles;
    QHash<QString, QString> m_pictureSources;   // absolute source path -> name in the book
    QSet<QString> m_takenNames;                 // lower-cased names in the content folder
    QStringList m_styleClasses;
    QSet<QString> m_knownClasses;
    bool m_pageLost = false;
};

} // namespace ns_epub

#endif
