#ifndef FONTSTYLE_H
#define FONTSTYLE_H

#include <string>

namespace conversion {

// How a font's name becomes the look of a text run. Documents name fonts
// like "ABCDEF+TimesNewRomanPS-BoldItalicMT": a subset tag, the family, a
// style; the book wants the family alone and the style as flags.
struct fontStyle {
    std::string family;
    bool bold = false;
    bool italic = false;
};

// The family without subset tag, style suffix and "MT"/"PS" foundry marks,
// safe to stand in a style text; bold and italic as the name says them.
fontStyle styleFromFontName(const std::string& name);

} // namespace conversion

#endif
