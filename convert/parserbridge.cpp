#include "convert/parserbridge.h"

#include "convert/logwriter.h"
#include "leafbinder/src/epub_page.h"
#include "leafbinder/src/fixed_field.h"
#include "leafbinder/src/leafbinder.h"
#include "platform/pagesift/pdfparseconf.h"

ns_epub::leafbinder g_leafbinder;

bool addPageToBook(void* page)
{
    g_leafbinder.addEpubData(static_cast<ns_epub::epubPage*>(page));
    return true;
}

namespace {

// Logs a value that does not fit its field; the value itself stays out of
// the log, since it may be a password.
void logRefusal(int line, const char* field, qsizetype length, qsizetype limit)
{
    writeLogSite(".\\parserbridge", line, "fillParseRequest");
    writeLogLine("%s does not fit the parser request: %lld units, at most %lld\n", field,
                 static_cast<long long>(length), static_cast<long long>(limit));
}

} // namespace

bool fillParseRequest(conversion::pdfParseConf& request, const QString& pdfPath, const QString& password1,
                      const QString& password2, const std::vector<int>& pages)
{
    request = conversion::pdfParseConf();
    bool ok = true;
    if (!ns_epub::setFieldText(request.sourcePath, pdfPath)) {
        logRefusal(__LINE__, "sourcePath", pdfPath.size(), std::size(request.sourcePath) - 1);
        ok = false;
    }
    if (ok && !password1.isEmpty() && !ns_epub::setFieldText(request.password1, password1)) {
        logRefusal(__LINE__, "password1", password1.toUtf8().size(), std::size(request.password1) - 1);
        ok = false;
    }
    if (ok && !password2.isEmpty() && !ns_epub::setFieldText(request.password2, password2)) {
        logRefusal(__LINE__, "password2", password2.toUtf8().size(), std::size(request.password2) - 1);
        ok = false;
    }
    if (!ok) {
        request = conversion::pdfParseConf();
        return false;
    }
    request.pages = pages;
    return true;
}
