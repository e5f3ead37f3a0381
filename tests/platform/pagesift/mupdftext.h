#ifndef MUPDFTEXT_H
#define MUPDFTEXT_H

#include <QString>
#include <QStringList>

namespace testpdf {

// The words of a page (1-based) as MuPDF's own plain-text extraction finds
// them: its text split at white space. The first of the passwords that opens
// the document is used. Empty when the page cannot be read.
QStringList mupdfWords(const QString& path, int page, const QList<QByteArray>& passwords = {});

} // namespace testpdf

#endif
