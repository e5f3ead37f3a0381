#ifndef CELLTEXTS_H
#define CELLTEXTS_H

// The words the task list writes into its cells and offers in its cell
// editors, in the current language. The cells are compared with these texts
// (an editor's choice, a retranslation), so each is made in one place only.

#include <QString>

namespace celltexts {

// "Selected Pages": the hint item that starts a page list. The word for
// every page is utils::allPagesText(), which the page-list checks share.
QString pagesHint();

// "Conversion Mode": the two modes.
QString textMode();
QString pictureMode();

// The mode text of a row whose conversionZoom is zoom: 0 is Text mode.
QString modeForZoom(int zoom);

} // namespace celltexts

#endif
