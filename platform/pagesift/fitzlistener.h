#ifndef FITZLISTENER_H
#define FITZLISTENER_H

// Hears what MuPDF says on a context while a listener lives, in place of
// the context's own error and warning callbacks, which it gives back when
// it goes. Use on the thread that owns the context.

#include <QString>

#include <string>

struct fz_context;

namespace conversion {

class fitzListener {
public:
    // watchedEnding: the end of a warning to look out for, among however
    // many others.
    explicit fitzListener(fz_context* ctx, const char* watchedEnding = nullptr);
    ~fitzListener();
    fitzListener(const fitzListener&) = delete;
    fitzListener& operator=(const fitzListener&) = delete;

    // MuPDF's first error, or else its first warning; empty when it said
    // nothing.
    QString heard() const;
    // The first warning that ended as watched; empty when none did.
    QString watched() const { return QString::fromStdString(m_watched); }
    // Forgets what was heard so far.
    void clear();

private:
    static void hearError(void* user, const char* message);
    static void hearWarning(void* user, const char* message);

    fz_context* m_ctx;
    void* m_errorUser = nullptr;
    void* m_warningUser = nullptr;
    void (*m_errorCallback)(void*, const char*) = nullptr;
    void (*m_warningCallback)(void*, const char*) = nullptr;
    const char* m_watchedEnding;
    std::string m_firstError;
    std::string m_firstWarning;
    std::string m_watched;
};

} // namespace conversion

#endif
