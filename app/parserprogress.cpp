// The program carries the members of the parser's progress interface, which
// are all inline, and exports them under their own names. This file is
// compiled with -fkeep-inline-functions, so every one of them is emitted
// here even where no caller needs it out of line.
#include "platform/pagesift/pdfparseprogress.h"
