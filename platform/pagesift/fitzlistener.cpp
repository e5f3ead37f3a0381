#include "fitzlistener.h"

#include <cstring>

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {
namespace {

// Warnings kept at most: a broken page can make MuPDF say the same few
// things thousands of times.
constexpr std::size_t kWarningsKept = 16;

} // namespace

fitzListener::fitzListener(fz_context* ctx)
    : m_ctx(ctx)
{
    m_errorCallback = fz_error_callback(ctx, &m_errorUser);
    m_warningCallback = fz_warning_callback(ctx, &m_warningUser);
    // A warning repeated from before would otherwise be counted, not told.
    fz_flush_warnings(ctx);
    fz_set_error_callback(ctx, hearError, this);
    fz_set_warning_callback(ctx, hearWarning, this);
}

fitzListener::~fitzListener()
{
    fz_flush_warnings(m_ctx);
    fz_set_error_callback(m_ctx, m_errorCallback, m_errorUser);
    fz_set_warning_callback(m_ctx, m_warningCallback, m_warningUser);
}

QString fitzListener::heard() const
{
    if (!m_firstError.empty())
        return QString::fromStdString(m_firstError);
    return m_warnings.empty() ? QString() : QString::fromStdString(m_warnings.front());
}

void fitzListener::clear()
{
    fz_flush_warnings(m_ctx);
    m_firstError.clear();
    m_warnings.clear();
}

void fitzListener::hearError(void* user, const char* message)
{
    auto* listener = static_cast<fitzListener*>(user);
    if (listener->m_firstError.empty())
        listener->m_firstError = message;
}

// "... repeated 3 times..." only counts a warning already heard.
void fitzListener::hearWarning(void* user, const char* message)
{
    auto* listener = static_cast<fitzListener*>(user);
    if (std::strncmp(message, "... repeated ", 13) != 0 && listener->m_warnings.size() < kWarningsKept)
        listener->m_warnings.emplace_back(message);
}

} // namespace conversion
