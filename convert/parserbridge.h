#ifndef PARSERBRIDGE_H
#define PARSERBRIDGE_H

// Where Text mode's parser meets the book builder: the program's one book
// builder, the page callback the parser calls, and the filling of the
// parser's request.

#include <QString>

#include <vector>

namespace conversion {
struct pdfParseConf;
}
namespace ns_epub {
class leafbinder;
}

// The program's one book builder; only the running conversion worker uses it.
extern ns_epub::leafbinder g_leafbinder;

// The parser's page callback: hands the ns_epub::epubPage* it is given to
// g_leafbinder, which writes it at once and keeps nothing. Always true.
bool addPageToBook(void* page);

// Fills a fresh request with the PDF's path (UTF-16, at most 259 units),
// the two passwords (UTF-8, at most 127 bytes each, left empty when empty)
// and the pages. A value that does not fit is refused, never cut: the
// refusal goes to the log, the whole request is emptied so that a parse of
// it reports failure, and the result is false; the caller then ends the
// task as failed.
bool fillParseRequest(conversion::pdfParseConf& request, const QString& pdfPath, const QString& password1,
                      const QString& password2, const std::vector<int>& pages);

#endif
