#ifndef PAGELIST_H
#define PAGELIST_H

// Page list texts: "All" (translated or not, any case) or the empty text for
// every page, otherwise page numbers and ranges "a-b" separated by ",", such
// as "1,3,4,5-10". The check is lenient enough to pass a text while it is
// still being typed ("1,2," or "5-"), which is why a final "," or "-" has a
// meaning of its own below: a final "-" runs the last range to the last page.

#include <QString>
#include <QStringList>

namespace utils {

// The word for every page in the current language, as the task list shows it
// in its rows and its page editor. The only source of that word: the rows,
// the page controls and every check of a page list take it from here, so
// they agree whatever translation is installed.
QString allPagesText();

// True for the empty text, allPagesText() or the untranslated "All", in any
// case.
bool isAllPagesText(const QString& text);

// Whether text is an acceptable page list for a document of pageCount pages.
// With strictOrder a range must not fall ("7-3" fails, "3-3" is page 3);
// the end of a range is never compared with pageCount, since
// pageTextToList clips it. A range needs its first page, and its last one
// unless the whole text ends in "-" ("-3", "-", "1,-", "0-3" and "3-,5"
// fail): the worker has no page 0 to start at.
bool isPageTextValid(const QString& text, int pageCount, bool strictOrder);

// Appends the pages that text names to *out as decimal texts, in the text's
// order (ranges rising, duplicates kept); nothing for "All", since an empty
// list means every page. False at a falling range, leaving the pages
// appended before it: callers drop the list then. Neither the characters
// nor single page numbers are checked here; isPageTextValid does that.
bool pageTextToList(const QString& text, int pageCount, QStringList* out);

} // namespace utils

#endif
