#ifndef FITZLISTENER_H
#define FITZLISTENER_H

// Hears what MuPDF says on a context while a listener lives, in place of
// the context's own error and warning callbacks, which it gives back when
// it goes. Use on the thread that owns the context.

#include <QString>

#include <string>
#include <vector>

struct fz_context;

namespace conversion {

class fitzListener {
public:
    explicit fitzListener(fz_context* ctx);
    ~fitzListener();
    fitzListener(const fitzListener&) = delete;
    fitzListener& operator=(const fitzListener&) = delete;

    // MuPDF's first error, or else its first warning; empty when it said
    // nothing.
    QString heard() const;
    // Every warning heard, in order; one repeated at once is heard once.
    const std::vector<std::string>& warnings() const { return m_warnings; }
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
    std::string m_firstError;
    std::vector<std::string> m_warnings;
};

} // namespace conversion

#endif
