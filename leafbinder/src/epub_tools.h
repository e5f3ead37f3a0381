#ifndef EPUB_TOOLS_H
#define EPUB_TOOLS_H

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QIODevice;
class RegularFile;

namespace ns_epub {

class epubNcxWriter;
class epubOpfWriter;
class epubWorkFolder;
class epubXhtmlWriter;

// folder + "/" + name, without doubling a separator the folder already ends with.
QString joinPath(const QString& folder, const QString& name);

// Holder of the current book's work folder and of the three document writers
// every book shares. One instance for the library's life; one book is built
// at a time, on one thread.
//
// Every file of a book is written here, and only through the work folder
// the book holds open (see epubWorkFolder): a path that does not lie inside
// it is written nowhere.
class epubStdMgr {
public:
    static epubStdMgr* instance();
    virtual ~epubStdMgr();

    // Template paths, relative to the current folder.
    static QString templateFolder();
    static QString templateMimetype();
    static QString templateStyleSheet();
    // Names inside the work folder.
    static QString contentFolder();
    static QString packageDocument();
    static QString navigationDocument();
    static QString styleSheet();

    // The shared writers, made (and their templates loaded) on first request.
    // A writer whose template could not be read is asked to try again, so a
    // template that comes back serves the next book.
    epubNcxWriter* ncxWriter();
    epubOpfWriter* opfWriter();
    epubXhtmlWriter* pageWriter();
    // Drops the shared writers: the next request makes each anew from the
    // template on disk, as at the library's first use. A writer that has read
    // its template keeps serving from it when the file is gone later, so
    // whoever needs the state of a fresh library (a test) starts here.
    void releaseWriters();

    // The open work folder of the book being built (not owned), null when
    // none; the book's creator variant sets it and takes it back.
    void holdWorkFolder(epubWorkFolder* folder) { m_heldFolder = folder; }
    epubWorkFolder* heldWorkFolder() const { return m_heldFolder; }

    // Records the work folder, copies the template folder into it (every
    // "mimetype" and "template.html" left out) and returns the shared writers
    // to their templates. Always false; nobody reads it.
    bool setWorkFolder(const QString& folder);
    QString workFolder() const { return m_workFolder; }
    // A path inside the current book's content folder.
    QString contentPath(const QString& fileName) const;

    // Copies a folder tree in name order (ignoring case) into the held work
    // folder, keeping files that already exist at the target and leaving out
    // names in exclusions.
    void copyFolder(const QString& source, const QString& target, const QStringList& exclusions);

    // Writes the file at path, a path inside the held work folder, replacing
    // a file the book wrote there before. False when it cannot be written.
    bool saveFile(const QString& path, const QByteArray& bytes);
    // The same with the bytes write puts into the device, piece by piece.
    bool saveFile(const QString& path, const std::function<bool(QIODevice&)>& write);

    // Puts a picture, read from its opened file, into the content folder as
    // fileName, replacing a file an earlier run left there. copyResource
    // copies the bytes; convertResource decodes the picture and writes it as
    // PNG. False when the source cannot be read or the target cannot be
    // written.
    bool copyResource(const RegularFile& source, const QString& fileName);
    bool convertResource(const std::shared_ptr<const RegularFile>& source, const QString& fileName);

private:
    epubStdMgr();

    // The held work folder and the path relative to it; false when path
    // does not lie inside it.
    epubWorkFolder* bookFile(const QString& path, QString& relative) const;

    QString m_workFolder;
    epubWorkFolder* m_heldFolder = nullptr;
    std::unique_ptr<epubNcxWriter> m_ncxWriter;
    std::unique_ptr<epubOpfWriter> m_opfWriter;
    std::unique_ptr<epubXhtmlWriter> m_pageWriter;
};

} // namespace ns_epub

#endif
