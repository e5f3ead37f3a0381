// The packing step's refusals and failures, and what the log says of them.
#include "epub_workfolder.h"
#include "epub_zip.h"
#include "testfiles.h"
#include "convert/logwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    std::unique_ptr<epubWorkFolder> makeWork(const QString& name) const
    {
        std::unique_ptr<epubWorkFolder> folder = epubWorkFolder::create(out(), name);
        EXPECT_TRUE(folder);
        EXPECT_TRUE(folder && folder->writeFile(QStringLiteral("page.html"), "<p/>", false));
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

// Another user swaps the reserved file for a link to one of this user's
// files: the book is written only through the descriptor that reserved it,
// and neither the link nor anything else takes the book's name.
TEST_F(Packer, AReservedFileSwappedForALinkIsNeitherWrittenThroughNorNamedTheBook)
{
    const auto work = makeWork(QStringLiteral("Book"));
    const QString victim = out() + QStringLiteral("thesis.odt");
    ASSERT_TRUE(testfiles::writeAll(victim, "years of work"));
    const struct Swap {
        Swap(const QString& folder, const QString& victim)
        {
            epubZip::setReservedHook([folder, victim] {
                const QStringList parts = QDir(folder).entryList({QStringLiteral("*.part")},
                                                                 QDir::Files | QDir::Hidden);
                ASSERT_EQ(parts.size(), 1);
                ASSERT_TRUE(QFile::remove(folder + parts.first()));
                ASSERT_TRUE(QFile::link(victim, folder + parts.first()));
            });
        }
        ~Swap() { epubZip::setReservedHook(nullptr); }
    } swap(out(), victim);
    EXPECT_FALSE(epubZip().runZip(out(), QStringLiteral("Book"), *work));
    EXPECT_EQ(testfiles::readAll(victim), QByteArray("years of work"));
    EXPECT_FALSE(QFileInfo(out() + QStringLiteral("Book.epub")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(out() + QStringLiteral("Book.epub")));
    EXPECT_TRUE(logText().contains(QStringLiteral("the finished book cannot take its name")));
}

} // namespace
