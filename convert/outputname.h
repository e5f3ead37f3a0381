#ifndef OUTPUTNAME_H
#define OUTPUTNAME_H

// Names of a book's output: the book file "<name>.epub" and the work folder
// "<name>" beside it, in which the book is assembled before it is packed.
// Both must be new: a user's own folder named like the book would otherwise
// be filled with the book's files and then emptied by the clean-up.

#include <QString>

namespace utils {

// The book name used when a file name leaves nothing ("a PDF named .pdf").
QString fallbackBookName();

// The book name of a PDF: its file name without folder, every ".pdf" removed
// regardless of case, every "." made "_" (a.b.PDF gives a_b); never empty.
QString bookNameOf(const QString& pdfPath);

// The work folder's name for an output file name: the part before its first
// "." (QFileInfo::baseName), as the worker derives it.
QString workFolderName(const QString& outputName);
// outputFolder joined with workFolderName(outputName).
QString workFolderPath(const QString& outputFolder, const QString& outputName);

// Replaces base with a file name for folder, "<base>.<suffix>" or
// "<base>(<n>).<suffix>", such that neither that file nor an entry named
// like its work folder exists in the folder yet, compared without regard to
// case. Once a numbered name of base exists the numbering goes on from the
// highest number found (book(3).epub alone gives book(4).epub). Every "."
// of base becomes "_" and an empty base becomes fallbackBookName(), so the
// work folder always has a name of its own. A folder that does not exist
// gives "<base>.<suffix>".
void uniqueOutputName(QString& base, const QString& folder, const QString& suffix);

} // namespace utils

#endif
