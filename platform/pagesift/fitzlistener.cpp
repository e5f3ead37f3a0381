#include "fitzlistener.h"

#include <cstring>

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {

fitzListener::fitzListener(fz_context* ctx, const char* watchedEnding)
    : m_ctx(ctx), m_watchedEnding(watchedEnding)
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
    return QString::fromStdString(m_firstError.empty() ? m_firstWarning : m_firstError);
}

void fitzListener::clear()
{
    fz_flush_warnings(m_ctx);
    m_firstError.clear();
    m_firstWarning.clear();
    m_watched.clear();
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
    if (std::strncmp(message, "... repeated ", 13) == 0)
        return;
    if (listener->m_firstWarning.empty())
        listener->m_firstWarning = message;
    const char* watched = listener->m_watchedEnding;
    const std::size_t length = std::strlen(message);
    if (watched && listener->m_watched.empty() && length >= std::strlen(watched)
        && std::strcmp(message + length - std::strlen(watched), watched) == 0)
        listener->m_watched = message;
}

} // namespace conversion
