#ifndef EPUB_TOOLS_H
#define EPUB_TOOLS_H

#include <QString>
#include <QStringList>

namespace ns_epub {

// Holder of the current book's work folder. One instance for the library's
// life; one book is built at a time.
class epubStdMgr {
public:
    static epubStdMgr* instance();
    virtual ~epubStdMgr();

    // Records the work folder and copies the template folder into it, every
    // "mimetype" left out. Always false; nobody reads it.
    bool setWorkFolder(const QString& folder);
    QString workFolder() const { return m_workFolder; }

    // Copies a folder tree in name order (ignoring case), keeping files that
    // already exist at the target and leaving out names in exclusions.
    void copyFolder(const QString& source, const QString& target, const QStringList& exclusions);

private:
    epubStdMgr() = default;

    QString m_workFolder;
};

} // namespace ns_epub

#endif
