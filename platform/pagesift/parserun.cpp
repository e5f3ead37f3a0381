#include "parserun.h"

#include "fitzdocument.h"
#include "hyphenatedwords.h"
#include "pagecontent.h"
#include "pagelayout.h"
#include "pagerecord.h"
#include "pdfparseconf.h"
#include "pdfparseprogress.h"
#include "picturestore.h"

#include "leafbinder/src/fixed_field.h"

#include <QFileInfo>

#include <algorithm>
#include <iterator>
#include <cstring>

namespace conversion {
namespace {

// A fixed field whose last unit is not NUL was not filled by setFieldText:
// reading it would take a cut value (another file, a wrong password).
template <typename T, std::size_t N>
bool isTerminated(const T (&field)[N])
{
    return field[N - 1] == 0;
}

template <std::size_t N>
QByteArray fieldBytes(const char (&field)[N])
{
    return QByteArray(field, static_cast<qsizetype>(strnlen(field, N - 1)));
}

} // namespace

parseRun::parseRun(pdfParseProgress* progress, pdfParser::pageParseFunc pageFunc, const QString& pictureFolder)
    : m_progress(progress), m_pageFunc(pageFunc), m_pictureFolder(pictureFolder)
{
}

QString parseRun::problems() const
{
    return m_problems.join(QLatin1Char('\n'));
}

std::vector<int> parseRun::unreadPages() const
{
    return std::vector<int>(m_unread.begin(), m_unread.end());
}

void parseRun::run(const pdfParseConf* request)
{
    if (!readRequest(request))
        return;
    fitzDocument document;
    if (!openDocument(document))
        return;
    const int count = document.pageCount();
    if (count <= 0) {
        fail(QStringLiteral("%1 has no pages that can be read").arg(m_path));
        return;
    }
    pictureStore pictures(m_pictureFolder);
    if (!pictures.isReady()) {
        fail(QStringLiteral("no folder for the page pictures: %1").arg(m_pictureFolder));
        return;
    }
    if (m_progress)
        m_progress->setSuccess(true);
    deliverPages(document, pictures, request->pages, count);
}

bool parseRun::readRequest(const pdfParseConf* request)
{
    if (!request) {
        fail(QStringLiteral("no request was given"));
        return false;
    }
    if (!isTerminated(request->sourcePath) || !isTerminated(request->password1)
        || !isTerminated(request->password2)) {
        fail(QStringLiteral("a field of the request is not terminated"));
        return false;
    }
    m_path = ns_epub::fieldText(request->sourcePath);
    m_passwords[0] = fieldBytes(request->password1);
    m_passwords[1] = fieldBytes(request->password2);
    if (m_path.isEmpty()) {
        fail(QStringLiteral("the request names no document"));
        return false;
    }
    return true;
}

bool parseRun::openDocument(fitzDocument& document)
{
    QString error;
    if (!document.open(m_path, &error)) {
        fail(QStringLiteral("cannot open %1: %2").arg(m_path, error));
        return false;
    }
    if (!document.needsPassword())
        return true;
    for (const QByteArray& password : m_passwords) {
        if (!password.isEmpty() && document.authenticate(password))
            return true;
    }
    const bool none = m_passwords[0].isEmpty() && m_passwords[1].isEmpty();
    fail(none ? QStringLiteral("%1 needs a password").arg(m_path)
              : QStringLiteral("the password does not open %1").arg(m_path));
    return false;
}

void parseRun::deliverPages(fitzDocument& document, pictureStore& pictures, const std::vector<int>& pages,
                            int count)
{
    const auto exists = [count](int page) { return page >= 1 && page <= count; };
    const int wanted = static_cast<int>(std::count_if(pages.begin(), pages.end(), exists));
    if (m_progress)
        m_progress->setPageNumber(wanted);
    std::vector<int> delivered;
    std::copy_if(pages.begin(), pages.end(), std::back_inserter(delivered), exists);
    hyphenatedWords compounds([this, &document, &delivered](hyphenatedWords& words) {
        readWholeText(document, delivered, words);
    });
    int done = 0;
    int read = 0;
    for (const int page : pages) {
        if (cancelled())
            return;
        if (!exists(page)) {
            notice(QStringLiteral("page %1 is not in the document (%2 pages)")
                       .arg(QString::number(page), QString::number(count)));
            continue;
        }
        const pageResult result = deliverPage(document, pictures, page, compounds);
        reportDone(++done);
        if (result.read)
            ++read;
        if (!result.more)
            return;
    }
    // Pages were asked for and none could be read: that is no book.
    if (wanted > 0 && read == 0)
        fail(QStringLiteral("none of the requested pages of %1 could be read").arg(m_path));
}

// Whether a hyphen at a line end belongs to the word is known only from the
// whole text: a quick look at every page to be delivered notes the words it
// writes with a hyphen inside a line. A cancel cuts it short.
void parseRun::readWholeText(fitzDocument& document, std::vector<int> pages, hyphenatedWords& words) const
{
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    std::vector<std::u32string> lines;
    for (const int page : pages) {
        if (cancelled())
            return;
        document.readText(page - 1, lines);
        for (const std::u32string& line : lines)
            words.addLine(line);
    }
}

// A page that cannot be loaded is left out; one whose content could be
// loaded or run only in part is delivered with what was read. Both are
// reported.
parseRun::pageResult parseRun::deliverPage(fitzDocument& document, pictureStore& pictures, int pageNumber,
                                           hyphenatedWords& compounds)
{
    pageResult result;
    pageContent content;
    QString error;
    QString damage;
    if (!document.readPage(pageNumber - 1, content, &error, &damage)) {
        noticeUnreadable(pageNumber, error);
        return result;
    }
    // A damaged page that still gave text or a picture was read in part; a
    // font MuPDF could not load, say, must not fail a task whose text is
    // all there.
    result.read = damage.isEmpty() || !content.lines.empty() || !content.pictures.empty();
    if (!damage.isEmpty())
        noticeUnreadable(pageNumber, damage);
    std::stable_sort(content.pictures.begin(), content.pictures.end(), [](const pagePicture& a, const pagePicture& b) {
        return a.y0 != b.y0 ? a.y0 < b.y0 : a.x0 < b.x0;
    });
    std::vector<std::string> paths;
    for (const pagePicture& picture : content.pictures) {
        const QString path = pictures.add(picture.bytes, picture.suffix, pageNumber);
        if (path.isEmpty())
            notice(QStringLiteral("a picture of page %1 could not be saved in %2")
                       .arg(QString::number(pageNumber), pictures.folder()));
        else
            paths.push_back(path.toStdString());
    }
    std::unique_ptr<pageRecord> record = buildPageRecord(content, arrangePage(content), paths, compounds);
    content = pageContent();
    ns_epub::epubPage* page = record.get();
    result.more = m_pageFunc ? m_pageFunc(page) : true;
    record.reset();
    pictures.removeAdded();
    return result;
}

bool parseRun::cancelled() const
{
    return m_progress && m_progress->isNeedCancel();
}

void parseRun::fail(const QString& why)
{
    m_problems << why;
    if (m_progress)
        m_progress->setSuccess(false);
}

void parseRun::notice(const QString& what)
{
    m_problems << what;
    if (!m_progress)
        return;
    QByteArray text = what.toUtf8();
    m_progress->parseProgressInfo(pdfParseProgress::noticeMessage, text.data());
}

void parseRun::noticeUnreadable(int pageNumber, const QString& why)
{
    m_unread.insert(pageNumber);
    notice(QStringLiteral("cannot read page %1 in '%2': %3")
               .arg(QString::number(pageNumber), QFileInfo(m_path).fileName(), why));
}

void parseRun::reportDone(int done)
{
    if (!m_progress)
        return;
    QByteArray text = QByteArray::number(done);
    m_progress->parseProgressInfo(pdfParseProgress::progressMessage, text.data());
}

} // namespace conversion
