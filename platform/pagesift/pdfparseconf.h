#ifndef PDFPARSECONF_H
#define PDFPARSECONF_H

#include <vector>

namespace conversion {

// What one parse is to read. The text fields have fixed sizes; fill them only
// with ns_epub::setFieldText (leafbinder/src/fixed_field.h), which refuses a
// value that does not fit instead of cutting it. The parser refuses a field
// that is not NUL-terminated within its size.
struct pdfParseConf {
    char16_t sourcePath[260] = {};    // the PDF's path, UTF-16, at most 259 units
    char password1[128] = {};         // UTF-8, at most 127 bytes; tried first
    char password2[128] = {};         // UTF-8, at most 127 bytes; tried when the first fails
    std::vector<int> pages;           // 1-based page numbers, delivered in this order
    bool parseFlag = false;           // reserved; the parser does not read it
};

} // namespace conversion

#endif
