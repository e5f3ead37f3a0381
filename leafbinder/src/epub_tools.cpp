#include "epub_tools.h"

#include "epub_ncx.h"
#include "epub_opf.h"
#include "epub_workfolder.h"
#include "epub_xhtml.h"
#include "platform/os/regularfile.h"
#include "platform/os/regularfiledevice.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace ns_epub {

namespace {

template <typename Writer>
Writer* sharedWriter(std::unique_ptr<Writer>& writer)
{
    if (!writer)
        writer = std::make_unique<Writer>();
    else if (!writer->isReady())
        writer->reset();
    return writer.get();
}

} // namespace

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

epubStdMgr::epubStdMgr() = default;

epubStdMgr::~epubStdMgr() = default;

epubStdMgr* epubStdMgr::instance()
{
    // Never destroyed while the library is loaded.
    static epubStdMgr* const manager = new epubStdMgr;
    return manager;
}

QString epubStdMgr::templateFolder()
{
    return QStringLiteral("epubTemplate");
}

QString epubStdMgr::templateMimetype()
{
    return QStringLiteral("epubTemplate/mimetype");
}

QString epubStdMgr::templateStyleSheet()
{
    return QStringLiteral("epubTemplate/OEBPS/sheetstyle.css");
}

QString epubStdMgr::contentFolder()
{
    return QStringLiteral("OEBPS");
}

QString epubStdMgr::packageDocument()
{
    return QStringLiteral("OEBPS/content.opf");
}

QString epubStdMgr::navigationDocument()
{
    return QStringLiteral("OEBPS/toc.ncx");
}

QString epubStdMgr::styleSheet()
{
    return QStringLiteral("OEBPS/sheetstyle.css");
}

epubNcxWriter* epubStdMgr::ncxWriter()
{
    return sharedWriter(m_ncxWriter);
}

epubOpfWriter* epubStdMgr::opfWriter()
{
    return sharedWriter(m_opfWriter);
}

epubXhtmlWriter* epubStdMgr::pageWriter()
{
    return sharedWriter(m_pageWriter);
}

void epubStdMgr::releaseWriters()
{
    m_ncxWriter.reset();
    m_opfWriter.reset();
    m_pageWriter.reset();
}

bool epubStdMgr::setWorkFolder(const QString& folder)
{
    m_workFolder = folder;
    // The packing step adds "mimetype" itself; the page template is read from
    // the template folder and is no page of the book, which declares nothing
    // of that name.
    copyFolder(templateFolder(), folder, {QStringLiteral("mimetype"), QStringLiteral("template.html")});
    // A book that was given up half-way may have left additions behind.
    if (m_ncxWriter)
        m_ncxWriter->reset();
    if (m_opfWriter)
        m_opfWriter->reset();
    if (m_pageWriter)
        m_pageWriter->reset();
    return false;
}

QString epubStdMgr::contentPath(const QString& fileName) const
{
    return joinPath(joinPath(m_workFolder, contentFolder()), fileName);
}

epubWorkFolder* epubStdMgr::bookFile(const QString& path, QString& relative) const
{
    return m_heldFolder && m_heldFolder->relativePath(path, relative) ? m_heldFolder : nullptr;
}

void epubStdMgr::copyFolder(const QString& source, const QString& target, const QStringList& exclusions)
{
    QString relative;
    epubWorkFolder* folder = bookFile(target, relative);
    // The target comes first: a file that sorts before the first sub-folder
    // would otherwise have nowhere to go.
    if (!folder || !folder->makeFolder(relative))
        return;
    const QFileInfoList entries = QDir(source).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        if (exclusions.contains(entry.fileName()))
            continue;
        if (entry.isFile()) {
            const QString name = relative.isEmpty() ? entry.fileName()
                                                    : relative + QLatin1Char('/') + entry.fileName();
            const std::shared_ptr<const RegularFile> file = RegularFile::open(entry.absoluteFilePath());
            if (file)
                folder->copyFile(*file, name, false);
        } else {
            copyFolder(entry.absoluteFilePath(), target + QLatin1Char('/') + entry.fileName(), exclusions);
        }
    }
}

bool epubStdMgr::saveFile(const QString& path, const QByteArray& bytes)
{
    QString relative;
    epubWorkFolder* folder = bookFile(path, relative);
    return folder && folder->writeFile(relative, bytes, true);
}

bool epubStdMgr::saveFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QString relative;
    epubWorkFolder* folder = bookFile(path, relative);
    return folder && folder->writeFile(relative, true, write);
}

bool epubStdMgr::copyResource(const RegularFile& source, const QString& fileName)
{
    QString relative;
    epubWorkFolder* folder = bookFile(contentPath(fileName), relative);
    return folder && folder->copyFile(source, relative, true);
}

bool epubStdMgr::convertResource(const std::shared_ptr<const RegularFile>& source, const QString& fileName)
{
    RegularFileDevice device(source);
    QImageReader reader(&device);
    const QImage picture = reader.read();
    QByteArray png;
    QBuffer buffer(&png);
    return !picture.isNull() && buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG")
        && saveFile(contentPath(fileName), png);
}

} // namespace ns_epub
