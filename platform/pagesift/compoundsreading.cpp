#include "compoundsreading.h"

#include "fitzdocument.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace conversion {

compoundsReading::compoundsReading(documentSource source, QByteArray password, std::vector<int> pages, pageHook hook)
    : m_source(std::move(source)), m_password(std::move(password)), m_pages(std::move(pages)), m_hook(std::move(hook))
{
    std::sort(m_pages.begin(), m_pages.end());
    m_pages.erase(std::unique(m_pages.begin(), m_pages.end()), m_pages.end());
}

compoundsReading::~compoundsReading()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
}

void compoundsReading::start()
{
    if (!m_thread.joinable())
        m_thread = std::thread(&compoundsReading::read, this);
}

void compoundsReading::stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
    // MuPDF looks at the cookie now and then while it runs a page.
    m_cookie.abort = 1;
    m_changed.notify_all();
}

bool compoundsReading::stopped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stop;
}

bool compoundsReading::waitForEnd(int timeoutMs)
{
    return waitFor(m_ended, timeoutMs);
}

bool compoundsReading::waitUntilStopped(int limitMs)
{
    return waitFor(m_stop, limitMs);
}

bool compoundsReading::waitFor(const bool& flag, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&flag] { return flag; });
}

// A page that cannot be read gives what could be read of it, as it would
// to a reading in sequence; a document that cannot be opened gives no words.
void compoundsReading::read()
{
    {
        fitzDocument document;
        QString error;
        bool open = document.open(m_source, &error);
        if (open && document.needsPassword())
            open = document.authenticate(m_password);
        std::vector<std::u32string> lines;
        for (const int page : m_pages) {
            if (!open)
                break;
            if (m_hook)
                m_hook(*this);
            if (stopped())
                break;
            document.readText(page - 1, lines, &m_cookie);
            for (const std::u32string& line : lines)
                m_words.addLine(line);
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    m_changed.notify_all();
}

} // namespace conversion
