#ifndef FIXED_FIELD_H
#define FIXED_FIELD_H

// Fixed-size text fields of the records shared with callers and parsers.
// A field is filled with at most its size minus one bytes (or units), never
// cut inside a UTF-8 character, and always NUL-terminated; a value that does
// not fit is refused rather than cut, since a cut path or password would mean
// something else. Reading never goes past the field, terminated or not.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstring>

namespace ns_epub {

// The text of a UTF-8 field: at most N - 1 bytes, up to the first NUL.
template <std::size_t N>
QString fieldText(const char (&field)[N])
{
    return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, N - 1)));
}

// The text of a UTF-16 field: at most N - 1 units, up to the first NUL.
template <std::size_t N>
QString fieldText(const char16_t (&field)[N])
{
    std::size_t length = 0;
    while (length < N - 1 && field[length] != 0)
        ++length;
    return QString::fromUtf16(field, static_cast<qsizetype>(length));
}

// Fills a UTF-8 field; false (field left empty) when the text does not fit.
template <std::size_t N>
bool setFieldText(char (&field)[N], const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    std::memset(field, 0, N);
    if (static_cast<std::size_t>(utf8.size()) > N - 1)
        return false;
    std::memcpy(field, utf8.constData(), static_cast<std::size_t>(utf8.size()));
    return true;
}

// Fills a UTF-16 field; false (field left empty) when the text does not fit.
template <std::size_t N>
bool setFieldText(char16_t (&field)[N], const QString& text)
{
    std::memset(field, 0, sizeof(field));
    if (static_cast<std::size_t>(text.size()) > N - 1)
        return false;
    std::memcpy(field, text.utf16(), static_cast<std::size_t>(text.size()) * sizeof(char16_t));
    return true;
}

} // namespace ns_epub

#endif
