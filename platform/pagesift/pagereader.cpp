#include "pagereader.h"

#include "fitzdocument.h"
#include "pagelayout.h"

#include <algorithm>
#include <chrono>

namespace conversion {
namespace {

// What the pages read ahead may hold before the reading waits: a few
// megabytes, so that memory does not grow with the document.
constexpr std::size_t kWaitingWeight = 4u << 20;
// A character of a page record, with its share of the runs and lines.
constexpr std::size_t kCharacterWeight = 16;
// How often a conversion waiting for a page looks whether it is cancelled.
constexpr int kCancelLookMs = 10;

} // namespace

pageReader::pageReader(documentSource source, std::vector<QByteArray> passwords, std::vector<int> pages)
    : m_source(std::move(source)), m_passwords(std::move(passwords)), m_pages(std::move(pages))
{
}

pageReader::~pageReader()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
}

pageReader::opening pageReader::open()
{
    if (!m_thread.joinable())
        m_thread = std::thread(&pageReader::run, this);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_opened; });
    return m_opening;
}

bool pageReader::next(pageRead& page, const std::function<bool()>& cancelled)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_waiting.empty() && !m_ended) {
        if (m_changed.wait_for(lock, std::chrono::milliseconds(kCancelLookMs),
                               [this] { return !m_waiting.empty() || m_ended; }))
            break;
        lock.unlock();
        const bool ends = cancelled();
        lock.lock();
        if (ends) {
            m_stop = true;
            m_changed.notify_all();
            return false;
        }
    }
    if (m_waiting.empty())
        return false;
    page = std::move(m_waiting.front());
    m_waiting.pop_front();
    m_waitingWeight -= page.weight;
    m_changed.notify_all();
    return true;
}

void pageReader::done(pageRead page)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_ended)
        m_done.push_back(std::move(page));
}

void pageReader::freeDone()
{
    std::vector<pageRead> freed;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        freed.swap(m_done);
    }
}

void pageReader::stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
    m_changed.notify_all();
}

bool pageReader::stopped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stop;
}

void pageReader::run()
{
    {
        fitzDocument document;
        openDocument(document);
        const int count = m_opening.state == openState::open ? m_opening.pageCount : 0;
        for (const int number : m_pages) {
            if (number < 1 || number > count)
                continue;
            freeDone();
            if (stopped() || !push(readOne(document, number)))
                break;
        }
    }
    freeDone();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    m_changed.notify_all();
}

void pageReader::openDocument(fitzDocument& document)
{
    opening result;
    if (!document.open(m_source, &result.error)) {
        result.state = openState::cannotOpen;
    } else if (!document.needsPassword()) {
        result.state = openState::open;
    } else {
        const bool none = std::all_of(m_passwords.begin(), m_passwords.end(),
                                      [](const QByteArray& password) { return password.isEmpty(); });
        result.state = none ? openState::needsPassword : openState::wrongPassword;
        for (const QByteArray& password : m_passwords) {
            if (!password.isEmpty() && document.authenticate(password)) {
                result.state = openState::open;
                result.password = password;
                break;
            }
        }
    }
    if (result.state == openState::open)
        result.pageCount = document.pageCount();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_opening = result;
    m_opened = true;
    m_changed.notify_all();
}

// A page that cannot be loaded is left out; one whose content could be
// loaded or run only in part keeps what was read.
pageRead pageReader::readOne(fitzDocument& document, int number) const
{
    pageRead page;
    page.number = number;
    pageContent content;
    QString error;
    if (!document.readPage(number - 1, content, &error, &page.problem)) {
        page.problem = error;
        return page;
    }
    // A damaged page that still gave text or a picture was read in part; a
    // font MuPDF could not load, say, must not fail a task whose text is
    // all there.
    page.read = page.problem.isEmpty() || !content.lines.empty() || !content.pictures.empty();
    std::stable_sort(content.pictures.begin(), content.pictures.end(), [](const pagePicture& a, const pagePicture& b) {
        return a.y0 != b.y0 ? a.y0 < b.y0 : a.x0 < b.x0;
    });
    page.record = buildPageRecord(content, arrangePage(content));
    std::size_t characters = 0;
    for (const glyphLine& line : content.lines)
        characters += line.glyphs.size();
    page.weight = characters * kCharacterWeight;
    for (const pagePicture& picture : content.pictures)
        page.weight += static_cast<std::size_t>(picture.bytes.size() + picture.pixels.samples.size());
    page.pictures = std::move(content.pictures);
    return page;
}

// Waits while what waits is at its bound (one page always goes in); false
// when the reading was stopped meanwhile.
bool pageReader::push(pageRead page)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stop || m_waiting.empty() || m_waitingWeight < kWaitingWeight; });
    if (m_stop)
        return false;
    m_waitingWeight += page.weight;
    m_waiting.push_back(std::move(page));
    m_changed.notify_all();
    return true;
}

} // namespace conversion
