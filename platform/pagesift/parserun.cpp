#include "parserun.h"

#include "documentsource.h"
#include "fitzcontext.h"
#include "fitzpicture.h"
#include "pagereader.h"
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

// How often a conversion that waits for the document's hyphenated words
// looks whether it is cancelled.
constexpr int kCancelLookMs = 10;

} // namespace

parseRun::parseRun(pdfParseProgress* progress, pdfParser::pageParseFunc pageFunc, const QString& pictureFolder,
                   compoundsReading::pageHook compoundsHook)
    : m_progress(progress), m_pageFunc(pageFunc), m_pictureFolder(pictureFolder),
      m_compoundsHook(std::move(compoundsHook))
{
}

parseRun::~parseRun() = default;

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
    // Both readings of the document, the pages' and the hyphenated words',
    // open it from here.
    const documentSource source(m_path);
    pageReader reader(source, {m_passwords[0], m_passwords[1]}, request->pages);
    int count = 0;
    if (!openDocument(reader, count))
        return;
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
    deliverPages(source, reader, pictures, request->pages, count);
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

bool parseRun::openDocument(pageReader& reader, int& count)
{
    const pageReader::opening opening = reader.open();
    switch (opening.state) {
    case pageReader::openState::open:
        m_openingPassword = opening.password;
        count = opening.pageCount;
        return true;
    case pageReader::openState::cannotOpen:
        fail(QStringLiteral("cannot open %1: %2").arg(m_path, opening.error));
        return false;
    case pageReader::openState::needsPassword:
        fail(QStringLiteral("%1 needs a password").arg(m_path));
        return false;
    case pageReader::openState::wrongPassword:
        fail(QStringLiteral("the password does not open %1").arg(m_path));
        return false;
    }
    return false;
}

void parseRun::deliverPages(const documentSource& source, pageReader& reader, pictureStore& pictures,
                            const std::vector<int>& pages, int count)
{
    const auto exists = [count](int page) { return page >= 1 && page <= count; };
    const int wanted = static_cast<int>(std::count_if(pages.begin(), pages.end(), exists));
    if (m_progress)
        m_progress->setPageNumber(wanted);
    std::vector<int> delivered;
    std::copy_if(pages.begin(), pages.end(), std::back_inserter(delivered), exists);
    compoundsReading compounds(source, m_openingPassword, delivered, m_compoundsHook);
    const auto ends = [this] { return cancelled(); };
    int done = 0;
    int read = 0;
    for (const int number : pages) {
        if (cancelled())
            return;
        if (!exists(number)) {
            notice(QStringLiteral("page %1 is not in the document (%2 pages)")
                       .arg(QString::number(number), QString::number(count)));
            continue;
        }
        pageRead page;
        if (!reader.next(page, ends))
            return;
        if (page.record && page.record->hasBrokenWords()) {
            compounds.start();
            if (!waitForCompounds(compounds))
                return;
            page.record->joinBrokenWords(compounds.words());
        }
        if (page.read)
            ++read;
        if (!page.problem.isEmpty())
            noticeUnreadable(page.number, page.problem);
        savePictures(page, pictures);
        const bool more = handOver(page);
        pictures.removeAdded();
        reader.done(std::move(page));
        reportDone(++done);
        if (!more)
            return;
    }
    // Pages were asked for and none could be read: that is no book.
    if (wanted > 0 && read == 0)
        fail(QStringLiteral("none of the requested pages of %1 could be read").arg(m_path));
}

// The page's pictures as files in the folder, each added to its record; a
// picture that cannot be saved is left out and said.
void parseRun::savePictures(pageRead& page, pictureStore& pictures)
{
    if (!page.record)
        return;
    for (pagePicture& picture : page.pictures) {
        if (picture.suffix.isEmpty()) {
            if (!m_pictureContext)
                m_pictureContext = std::make_unique<fitzContext>();
            if (!m_pictureContext->get() || !encodePng(m_pictureContext->get(), picture.pixels, picture.bytes))
                continue;
            picture.suffix = QStringLiteral("png");
        }
        const QString path = pictures.add(picture.bytes, picture.suffix, page.number);
        if (path.isEmpty()) {
            notice(QStringLiteral("a picture of page %1 could not be saved in %2")
                       .arg(QString::number(page.number), pictures.folder()));
            continue;
        }
        page.record->addPicturePath(path.toStdString());
    }
}

// False when the parse was cancelled while it waited; the reading then ends
// too.
bool parseRun::waitForCompounds(compoundsReading& compounds) const
{
    while (!compounds.waitForEnd(kCancelLookMs)) {
        if (cancelled()) {
            compounds.stop();
            return false;
        }
    }
    return true;
}

// The page to the page function; false when it asks for no more pages.
bool parseRun::handOver(pageRead& page)
{
    if (!page.record)
        return true;
    ns_epub::epubPage* record = page.record.get();
    return m_pageFunc ? m_pageFunc(record) : true;
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
