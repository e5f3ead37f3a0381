// The packing step's refusals and failures, and what the log says of them.
#include "epub_zip.h"
#include "testfiles.h"
#include "convert/logwriter.h"

#include "ZipPlatform.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ns_epub;

namespace {

QString logText()
{
    return QString::fromUtf8(testfiles::readAll(logFilePath()));
}

struct Packer : ::testing::Test {
    QTemporaryDir dir;

    QString out() const { return dir.path() + QLatin1Char('/'); }
    // A work folder made as a book's create makes it, with one page.
    std::unique_ptr<ZipPlatform::CDirectory> makeWork(const QString& name) const
    {
        std::unique_ptr<ZipPlatform::CDirectory> folder = ZipPlatform::CDirectory::create(out() + name);
        EXPECT_TRUE(folder);
        EXPECT_TRUE(testfiles::writeAll(out() + name + QStringLiteral("/page.html"), "<p/>"));
        return folder;
    }
    // Books and reserved names left in the output folder.
    QStringList leftovers() const
    {
        return QDir(dir.path()).entryList({QStringLiteral("*.epub"), QStringLiteral("*.part")},
                                          QDir::Files | QDir::Hidden);
    }
};

TEST_F(Packer, AFailureIsLoggedAsASiteLineAndOneMessage)
{
    const auto work = makeWork(QStringLiteral("NoMime"));
    QTemporaryDir elsewhere;   // no template here, so no "mimetype"
    const testfiles::CurrentDir here(elsewhere.path());
    EXPECT_FALSE(epubZip().runZip(out(), QStringLiteral("NoMime"), *work));
    const QRegularExpression entry(QStringLiteral(
        R"(src\\epub_tools\(61\): in ns_epub::epubZip::runZip : [^\n]*\n\d+ epubTemplate/mimetype\n)"));
    EXPECT_TRUE(entry.match(logText()).hasMatch()) << logText().toStdString();
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(Packer, ABookNameTooLongForItsFolderIsLoggedAndNothingIsPacked)
{
    const QString name(252, QLatin1Char('n'));   // a folder name, but not with ".epub"
    const auto work = makeWork(name);
    EXPECT_FALSE(epubZip().runZip(out(), name, *work));
    EXPECT_TRUE(logText().contains(QStringLiteral("file name has 257 bytes")));
    EXPECT_TRUE(logText().contains(out() + name + QStringLiteral(".epub\n")));
    EXPECT_EQ(leftovers(), QStringList());
}

} // namespace
