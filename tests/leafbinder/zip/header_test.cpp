// What a header makes of names, attributes and times before it is written.
#include "ZipCompatibility.h"
#include "ZipDosTime.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "ZipPlatform.h"

#include <gtest/gtest.h>

namespace {

TEST(HeaderNames, LeadingSeparatorsGoAndBackslashesAreWrittenAsSlashes)
{
    CZipFileHeader header;
    header.setSystemAttributes(0x20);
    header.setFileName(QStringLiteral("\\/OEBPS\\page-1.html"));
    EXPECT_EQ(header.getFileName(), QStringLiteral("OEBPS\\page-1.html"));
    EXPECT_EQ(header.getFileNameBytes(), QByteArray("OEBPS/page-1.html"));
    EXPECT_EQ(header.getFlags() & CZipFileHeader::flagUtf8, 0);

    CZipFileHeader folder;
    folder.setSystemAttributes(0x10);
    folder.setFileName(QStringLiteral("\\"));
    EXPECT_EQ(folder.getFileName(), QStringLiteral("\\")) << "one separator alone names a folder";
    header.setFileName(QStringLiteral("/"));
    EXPECT_EQ(header.getFileName(), QString()) << "but not a file";
}

TEST(HeaderNames, DotComponentsAreResolvedAway)
{
    CZipFileHeader header;
    header.setSystemAttributes(0x20);
    const struct {
        const char* given;
        const char* kept;
    } cases[] = {
        {"a/./b", "a/b"},      {"./a", "a"},         {"a/../b", "b"},
        {"../../x", "x"},      {"a\\..\\..\\b", "b"}, {"..", ""},
        {"a/b/..", "a/"},      {"...", "..."},       {"a/.b/c.", "a/.b/c."},
        {"x//./y", "x//y"},
    };
    for (const auto& c : cases) {
        header.setFileName(QString::fromUtf8(c.given));
        EXPECT_EQ(header.getFileName(), QString::fromUtf8(c.kept)) << c.given;
    }
}

TEST(HeaderNames, CodePageFollowsTheHostAndFallsBackToMarkedUtf8)
{
    CZipFileHeader header;
    header.setSystemAttributes(0x20);
    header.setFileName(QStringLiteral("Ärger.txt"));
    EXPECT_EQ(header.getFileNameBytes(), QByteArray("\x8Erger.txt")) << "IBM 437 for DOS";
    EXPECT_EQ(header.getFlags() & CZipFileHeader::flagUtf8, 0);

    header.setSystemCompatibility(ZipCompatibility::hostOs2);
    EXPECT_EQ(header.getFileNameBytes(), QByteArray("\xC4rger.txt")) << "Windows-1252 for the others";

    header.setFileName(QStringLiteral("€"));
    EXPECT_EQ(header.getFileNameBytes(), QByteArray("\x80")) << "the euro sign is in Windows-1252";
    header.setSystemCompatibility(ZipCompatibility::hostDos);
    EXPECT_EQ(header.getFileNameBytes(), QStringLiteral("€").toUtf8()) << "but not in IBM 437";
    EXPECT_EQ(header.getFlags() & CZipFileHeader::flagUtf8, CZipFileHeader::flagUtf8);
    EXPECT_EQ(header.getFileName(), QStringLiteral("€"));
}

TEST(CodePages, ConvertBothWaysAndRefuseWhatTheyLack)
{
    CZipAutoBuffer buffer;
    EXPECT_EQ(ZipPlatform::wideToCodePage(buffer, QString(), ZipPlatform::codePageOem), 0);
    EXPECT_FALSE(buffer.isAllocated());
    QString text;
    EXPECT_EQ(ZipPlatform::codePageToWide(buffer, text, ZipPlatform::codePageOem), 0);

    // Every byte of both code pages comes back as itself.
    for (quint32 page : {quint32(ZipPlatform::codePageOem), quint32(ZipPlatform::codePageAnsi)}) {
        CZipAutoBuffer all(256);
        for (int i = 0; i < 256; ++i)
            all.data()[i] = char(i);
        ASSERT_EQ(ZipPlatform::codePageToWide(all, text, page), 256);
        CZipAutoBuffer back;
        ASSERT_EQ(ZipPlatform::wideToCodePage(back, text, page), 256) << page;
        EXPECT_EQ(QByteArray(back.data(), 256), QByteArray(all.data(), 256)) << page;
    }
    EXPECT_EQ(ZipPlatform::wideToCodePage(buffer, QStringLiteral("日本"), ZipPlatform::codePageAnsi), -1);
    EXPECT_FALSE(buffer.isAllocated());
    CZipAutoBuffer broken(2);
    broken.data()[0] = '\xC3';
    broken.data()[1] = 'x';
    EXPECT_EQ(ZipPlatform::codePageToWide(broken, text, ZipPlatform::codePageUtf8), -1);
}

TEST(FileNames, BytesThatAreNoUtf8ComeBackExactlyAndSetTheNameApart)
{
    // Overlong, surrogate, past U+10FFFF, cut short, a lone continuation.
    const QByteArray raw[] = {"a\xff", "\xc0\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82", "\x80z"};
    for (const QByteArray& bytes : raw) {
        const QString name = ZipPlatform::fileNameFromBytes(bytes);
        EXPECT_TRUE(ZipPlatform::holdsNameBytes(name)) << bytes.toHex().constData();
        EXPECT_EQ(ZipPlatform::fileNameToBytes(name), bytes) << bytes.toHex().constData();
    }
    const QString text = QStringLiteral("é€😀");
    EXPECT_EQ(ZipPlatform::fileNameFromBytes(text.toUtf8()), text);
    EXPECT_FALSE(ZipPlatform::holdsNameBytes(text));
    EXPECT_NE(ZipPlatform::fileNameFromBytes("a\xff"), ZipPlatform::fileNameFromBytes("a\xfe"));
}

TEST(HeaderAttributes, WindowsAttributesMapToUnixModesAndBack)
{
    const std::pair<quint32, quint32> toUnix[] = {
        {0x20, 0x81B4},          // rw-rw-r-- file
        {0x01, 0x8124},          // read-only file
        {0x21, 0x8124},
        {0x10, 0x41FD},          // drwxrwxr-x
        {0x02 | 0x20, 0x8190},   // hidden: only the owner reads
    };
    for (const auto& c : toUnix)
        EXPECT_EQ(ZipCompatibility::windowsToUnixMode(c.first), c.second) << std::hex << c.first;
    const std::pair<quint32, quint32> toWindows[] = {
        {0x81B4, 0x20}, {0x8124, 0x21}, {0x41FD, 0x10}, {0x8190, 0x22},
        {0x81ED, 0x00},   // owner-executable: no archive bit
        {0x8100, 0x23},
    };
    for (const auto& c : toWindows)
        EXPECT_EQ(ZipCompatibility::unixModeToWindows(c.first), c.second) << std::hex << c.first;

    CZipFileHeader header;
    header.setSystemAttributes(0x20);
    EXPECT_EQ(header.getExternalAttributes(), 0x81B40020u);
    header.setSystemCompatibility(ZipCompatibility::hostUnix);
    EXPECT_EQ(header.getExternalAttributes(), 0x81B40000u);
    EXPECT_EQ(header.getSystemAttributes(), 0x20u);
    header.setSystemCompatibility(ZipCompatibility::hostMac);
    EXPECT_EQ(header.getExternalAttributes() & 0xFFFF, 0u) << "Mac keeps only read-only and directory";
    header.setSystemAttributes(0x11);
    EXPECT_EQ(header.getSystemAttributes(), 0x11u);
}

TEST(HeaderAttributes, AHostWithoutConverterRaises219)
{
    CZipFileHeader header;
    header.setFileName(QStringLiteral("file"));
    EXPECT_THROW(header.setSystemCompatibility(1), CZipException);
    try {
        header.setSystemAttributes(0x20);
        FAIL() << "no exception";
    } catch (const CZipException& e) {
        EXPECT_EQ(e.getCode(), CZipException::unsupportedHost);
    }
    EXPECT_EQ(header.getSystemAttributes(), 0x20u) << "attributes then come from the name";
    header.setFileName(QStringLiteral("dir/"));
    EXPECT_EQ(header.getSystemAttributes(), 0x10u);
}

TEST(HeaderFlags, PrepareDataSetsLevelBitsDescriptorsAndVersions)
{
    CZipFileHeader header;
    header.setSystemAttributes(0x20);
    header.prepareData(9, false);
    EXPECT_EQ(header.getFlags(), 2);
    EXPECT_EQ(header.getVersionNeeded(), 20);
    EXPECT_EQ(header.getVersionMadeBy(), 20);
    header.prepareData(1, true);
    EXPECT_EQ(header.getFlags(), 6 | CZipFileHeader::flagDataDescriptor) << "segmented archives use descriptors";
    EXPECT_EQ(header.getDataDescriptorSize(true), 16);
    header.prepareData(6, false);
    EXPECT_EQ(header.getFlags(), 0);
    EXPECT_EQ(header.getDataDescriptorSize(false), 0);

    CZipFileHeader folder;
    folder.setSystemAttributes(0x10);
    folder.prepareData(0, false);
    EXPECT_EQ(folder.getVersionNeeded(), 10);
}

TEST(DosTime, LocalTimeFieldsRoundTripAndAreClampedAtTheEnds)
{
    quint16 time = 0;
    quint16 date = 0;
    // 2021-06-15 14:30:43 UTC: 16:30:42 in Berlin, seconds halved.
    ZipArchiveLib::timeToDos(1623767443, time, date);
    EXPECT_EQ(time, (16 << 11) | (30 << 5) | 21);
    EXPECT_EQ(date, (41 << 9) | (6 << 5) | 15);
    EXPECT_EQ(ZipArchiveLib::dosToTime(time, date), 1623767442);

    // Winter time: 2020-01-02 03:04:06 UTC is 04:04:06.
    ZipArchiveLib::timeToDos(1577934246, time, date);
    EXPECT_EQ(time, (4 << 11) | (4 << 5) | 3);
    EXPECT_EQ(ZipArchiveLib::dosToTime(time, date), 1577934246);

    ZipArchiveLib::timeToDos(32503680000ll, time, date);   // 3000-01-01
    EXPECT_EQ(date, (127 << 9) | (12 << 5) | 31);
    EXPECT_EQ(time, (23 << 11) | (59 << 5) | 29);
    ZipArchiveLib::timeToDos(4354815599ll + 1, time, date);   // 2108-01-01 00:00:00 local
    EXPECT_EQ(date, (127 << 9) | (12 << 5) | 31);
    EXPECT_EQ(time, (23 << 11) | (59 << 5) | 29);
    ZipArchiveLib::timeToDos(4336372800ll, time, date);       // 2107-06-01 12:00 UTC stays as it is
    EXPECT_EQ(date, (127 << 9) | (6 << 5) | 1);
    EXPECT_EQ(time, 14 << 11);

    ZipArchiveLib::timeToDos(315532800 - 86400 * 30, time, date);   // December 1979
    EXPECT_EQ(date >> 9, 0);
    ZipArchiveLib::timeToDos(315532800 + 3600 * 12, time, date);    // 1980-01-01 noon
    EXPECT_EQ(date, (1 << 5) | 1);
}

} // namespace
