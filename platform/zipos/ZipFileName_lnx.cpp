// File names as this system keeps them: bytes, UTF-8 only by convention. A
// name is carried as text that keeps every byte, so two names that differ
// only in bytes that are no UTF-8 never become one.
#include "ZipPlatform.h"

namespace ZipPlatform {

namespace {

// A byte that is no part of valid UTF-8 stands in the text as the lone low
// surrogate U+DC80 + (byte - 0x80). Valid UTF-8 never decodes to one.
constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

bool isEscape(char16_t c)
{
    return c >= kFirstEscape && c <= kLastEscape;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at bytes[at] and its code point;
// 0 when the bytes there are no valid sequence (overlong forms, surrogates
// and values past U+10FFFF included).
int sequenceAt(const QByteArray& bytes, qsizetype at, char32_t& code)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char lead = byte(at);
    int length;
    char32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, least = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, least = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, least = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(byte(at + i)))
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString fileNameFromBytes(const QByteArray& bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t code = 0;
        const int length = sequenceAt(bytes, at, code);
        if (length == 0) {
            name.append(QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes.at(at)))));
            ++at;
            continue;
        }
        if (code < 0x10000) {
            name.append(QChar(char16_t(code)));
        } else {
            name.append(QChar(QChar::highSurrogate(code)));
            name.append(QChar(QChar::lowSurrogate(code)));
        }
        at += length;
    }
    return name;
}

bool holdsNameBytes(const QString& name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        // A low surrogate after a high one is half of a character.
        if (isEscape(c) && (i == 0 || !name.at(i - 1).isHighSurrogate()))
            return true;
    }
    return false;
}

QByteArray fileNameToBytes(const QString& name)
{
    if (!holdsNameBytes(name))
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype plainFrom = 0;
    const auto flushPlain = [&](qsizetype to) {
        bytes.append(QStringView(name).mid(plainFrom, to - plainFrom).toUtf8());
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (isEscape(c) && (i == 0 || !name.at(i - 1).isHighSurrogate())) {
            flushPlain(i);
            bytes.append(static_cast<char>(c - kEscapeBase));
            plainFrom = i + 1;
        }
    }
    flushPlain(name.size());
    return bytes;
}

} // namespace ZipPlatform
