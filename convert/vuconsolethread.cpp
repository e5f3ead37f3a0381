#include "convert/vuconsolethread.h"

#include "app/taskrow.h"
#include "convert/logwriter.h"
#include "convert/parserbridge.h"
#include "convert/utils.h"
#include "leafbinder/src/fixed_field.h"
#include "leafbinder/src/leafbinder.h"
#include "platform/pagesift/pdfparseconf.h"
#include "platform/pagesift/pdfparser.h"

#include <QDir>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>

ns_epub::epubPubInfo g_epubPubInfo;

namespace {

const char kSource[] = ".\\vuconsolethread";
const char kRun[] = "VuConsoleThread::run";

// The number at the start of text, as atof and atoi read it (leading blanks
// and a sign allowed, the rest ignored, 0 when there is none), but always
// with "." as the decimal point: the program's locale must not turn "37.5"
// into 37.
const char* numberStart(const char* text)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    if (*text == '+' && text[1] != '-')
        ++text;
    return text;
}

double leadingReal(const char* text)
{
    const char* start = numberStart(text);
    double value = 0;
    if (std::from_chars(start, start + std::strlen(start), value).ec != std::errc())
        return 0;
    return value;
}

long long leadingInteger(const char* text)
{
    const char* start = numberStart(text);
    long long value = 0;
    if (std::from_chars(start, start + std::strlen(start), value).ec != std::errc())
        return 0;
    return value;
}

} // namespace

VuConsoleThread::VuConsoleThread(QObject* parent)
    : QThread(parent)
{
    connect(this, &QThread::finished, this, &VuConsoleThread::procFinished);
}

VuConsoleThread::~VuConsoleThread()
{
    if (isRunning()) {
        setCancel(true);
        wait();
    }
}

void VuConsoleThread::startTask(QTreeWidgetItem* row, const QStringList& pageList, int pageCount,
                                const QString& pdfPath, const QString& outputFolder, const QString& outputName,
                                const QString& password1, const QString& password2, int conversionZoom,
                                const QRect& area)
{
    // The running task reads these fields and the book information.
    if (isRunning())
        return;
    m_row = row;
    const BookInfo info = taskrow::bookInfo(row);
    g_epubPubInfo.title = info.title.toStdString();
    g_epubPubInfo.creator = info.author.toStdString();
    g_epubPubInfo.identifier = info.isbn.toStdString();
    g_epubPubInfo.publisher = info.publisher.toStdString();
    g_epubPubInfo.date = info.publishDate.toStdString();
    g_epubPubInfo.subject = info.series.toStdString();
    g_epubPubInfo.description = info.comments.toStdString();
    g_epubPubInfo.coverImage = info.coverPath.toStdString();
    m_pageList = pageList;
    m_pageCount = pageCount;
    m_pdfPath = pdfPath;
    m_outputFolder = outputFolder;
    m_outputName = outputName;
    m_password1 = password1;
    m_password2 = password2;
    m_zoom = conversionZoom;
    m_pictureMode = conversionZoom != 0 ? 1 : 0;
    m_area = area;
    start(QThread::InheritPriority);
}

void VuConsoleThread::run()
{
    std::vector<int> pages;
    if (makePageVector(pages))
        convertTask(pages);
    if (m_stopRequested && m_quitAfterStop)
        emit processQiut();
}

// The pages to convert, in list order, duplicates kept; all pages for an
// empty list. False (logged) when a page lies outside the document, which
// includes a text that is no number, or when there is no page at all.
bool VuConsoleThread::makePageVector(std::vector<int>& pages) const
{
    if (m_pageList.isEmpty()) {
        for (int page = 1; page <= m_pageCount; ++page)
            pages.push_back(page);
    } else {
        pages.reserve(static_cast<std::size_t>(m_pageList.size()));
        for (const QString& text : m_pageList)
            pages.push_back(text.toInt(nullptr, 10));
    }
    for (int page : pages) {
        if (page < 1 || page > m_pageCount) {
            writeLogSite(kSource, 222, kRun);
            writeLogLine("preIdx = 0\n");
            return false;
        }
    }
    if (pages.empty()) {
        // A document without pages would give an empty book that looks done.
        writeLogSite(kSource, __LINE__, kRun);
        writeLogLine("no pages to convert (page count %d)", m_pageCount);
        return false;
    }
    return true;
}

void VuConsoleThread::convertTask(const std::vector<int>& pages)
{
    // Only Text mode hands the request to the parser, so only there must the
    // path and the passwords fit its fields.
    conversion::pdfParseConf request;
    if (m_pictureMode == 0 && !fillParseRequest(request, m_pdfPath, m_password1, m_password2, pages))
        return;

    // The builder keeps the address of this record until close.
    ns_epub::epubCreationConfig config;
    config.buildFromPages = 1;
    config.pubInfo = &g_epubPubInfo;
    const QString bookName = utils::workFolderName(m_outputName);
    // A relative output folder would be taken from the current folder, the
    // program's own installation folder, where no book belongs.
    const QString folder = utils::folderPath(m_outputFolder);
    if (!QDir::isAbsolutePath(folder) || !ns_epub::setFieldText(config.bookName, bookName)
        || !ns_epub::setFieldText(config.outputFolder, folder)) {
        writeLogSite(kSource, __LINE__, kRun);
        writeLogLine("output folder not absolute, or book name empty or too long: %s %s",
                     folder.toUtf8().constData(), bookName.toUtf8().constData());
        return;
    }

    // The book's create makes the work folder new, as this book's own, and
    // the builder removes it again when the book is given up below; a name
    // taken by anything else (another conversion, a user's folder) fails the
    // task here, before any page is converted, and nothing is removed.
    if (m_bookHook)
        m_bookHook();
    g_leafbinder.create(&config);
    if (errno != 0) {
        writeLogSite(kSource, __LINE__, kRun);
        writeLogLine("cannot make a new work folder %s",
                     utils::workFolderPath(m_outputFolder, m_outputName).toUtf8().constData());
        g_leafbinder = ns_epub::leafbinder();
        return;
    }
    const bool converted =
        m_pictureMode == 1 ? convertPicturePages(m_pdfPath, m_password2, pages) : parsePages(request);
    // The parser reported the document's opening here; the task's result is
    // the book's.
    setSuccess(false);
    if (converted && !isNeedCancel())
        setSuccess(g_leafbinder.close());
    // Gives the book up: it must not keep the address of config, and its
    // work folder goes with it.
    g_leafbinder = ns_epub::leafbinder();
}

// Text mode. False when the parser could not open the document (a wrong
// password included) or could read none of its pages.
bool VuConsoleThread::parsePages(conversion::pdfParseConf& request)
{
    conversion::pdfParser parser(nullptr);
    parser.setPageParseFunc(addPageToBook);
    parser.setParseProgress(this);
    parser.parse(&request);
    // One entry per problem, as Picture mode logs each page it cannot draw:
    // a page that cannot be read is named with MuPDF's message.
    const QStringList problems = parser.lastError().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& problem : problems) {
        writeLogSite(kSource, __LINE__, kRun);
        writeLogLine("%s", problem.toUtf8().constData());
    }
    const std::vector<int> unread = parser.unreadPages();
    m_unreadPages.insert(unread.begin(), unread.end());
    return isSuccess();
}

void VuConsoleThread::stop(bool quitAfterStop)
{
    m_quitAfterStop = quitAfterStop;
    m_stopRequested = true;
    setCancel(true);
}

void VuConsoleThread::setPageHook(std::function<void()> hook)
{
    if (!isRunning())
        m_pageHook = std::move(hook);
}

void VuConsoleThread::setBookHook(std::function<void()> hook)
{
    if (!isRunning())
        m_bookHook = std::move(hook);
}

// Both modes report here after every page, so this is where a test can
// hold the worker between pages.
void VuConsoleThread::parseProgressInfo(messageType type, char* text)
{
    if (type != progressMessage || !text)
        return;
    if (m_pageHook)
        m_pageHook();
    float value = 0;
    if (text[0] == ':') {
        value = static_cast<float>(leadingReal(text + 1));
    } else {
        // Without a total there is no percentage (and no division by zero).
        if (pageNumber <= 0)
            return;
        value = static_cast<float>(static_cast<double>(leadingInteger(text)) / pageNumber * 100.0);
        percent = value;
    }
    if (m_stopRequested)
        return;
    emit sglItemTaskProcess(m_row, static_cast<double>(value));
}

std::vector<int> VuConsoleThread::unreadPages() const
{
    if (isRunning())
        return {};
    return std::vector<int>(m_unreadPages.begin(), m_unreadPages.end());
}

void VuConsoleThread::setSuccess(bool value)
{
    m_success = value;
}

bool VuConsoleThread::isSuccess()
{
    return m_success;
}

void VuConsoleThread::procFinished()
{
    emit sglTaskComplete(m_row, m_stopRequested, isSuccess());
}
