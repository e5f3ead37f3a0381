// Size texts and the word-processor lookup through the emulated registry.
#include "convert/utils.h"

#include "convert/logwriter.h"
#include "platform/win32/registry.h"
#include "testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct SizeCase {
    qint64 size;
    const char* text;
};

void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.size;
}

class SizeText : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeText, UsesTwoDecimalsAndABinaryUnit)
{
    EXPECT_EQ(utils::sizeToText(GetParam().size), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SizeText,
    ::testing::Values(SizeCase{0, "0B"}, SizeCase{512, "512B"}, SizeCase{1023, "1023B"},
                      SizeCase{1024, "1.00 KB"}, SizeCase{1536, "1.50 KB"},
                      SizeCase{1048575, "1024.00 KB"}, SizeCase{1048576, "1.00 MB"},
                      SizeCase{5 * 1048576 + 524288, "5.50 MB"},
                      SizeCase{Q_INT64_C(1073741824), "1.00 GB"},
                      // the "T" step begins at 1000 GB
                      SizeCase{Q_INT64_C(1073741823999), "1000.00 GB"},
                      SizeCase{Q_INT64_C(1073741824000), "1.00 TB"},
                      SizeCase{Q_INT64_C(1099511627776), "1.02 TB"}));

const QString kWordServerKey = QStringLiteral("CLSID\\{000209FF-0000-0000-C000-000000000046}\\LocalServer32");

// A registry store and a log of the test's own.
class WordLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_dir.path().toLocal8Bit());
        win32::setRegistryStorePath(m_dir.path() + QStringLiteral("/registry.ini"));
    }
    void TearDown() override
    {
        win32::setRegistryStorePath(QString());
        qputenv("TMPDIR", m_oldTmp);
    }
    QByteArray log() const { return testfiles::readAll(logFilePath()); }

    QTemporaryDir m_dir;
    QByteArray m_oldTmp;
};

TEST_F(WordLookup, MissingKeyLogsTheFailedOpen)
{
    EXPECT_FALSE(utils::isInstallWord());
    const QList<QByteArray> lines = log().split('\n');
    ASSERT_EQ(lines.size(), 3) << log().constData();
    EXPECT_TRUE(lines[0].startsWith(".\\utils(1113): in utils::isInstallWord : ")) << lines[0].constData();
    EXPECT_EQ(lines[1], QByteArray("RegOpenKeyExW 2"));
}

TEST_F(WordLookup, KeyWithItsServerIsFoundWithoutLogging)
{
    ASSERT_EQ(win32::RegistryKey::setValue(win32::RegistryRoot::ClassesRoot, kWordServerKey, QString(),
                                           QStringLiteral("C:\\Office\\WINWORD.EXE /Automation")),
              win32::kErrorSuccess);
    EXPECT_TRUE(utils::isInstallWord());
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(WordLookup, KeysDifferingOnlyInCaseAreOneKey)
{
    win32::RegistryKey::setValue(win32::RegistryRoot::ClassesRoot, kWordServerKey.toLower(),
                                 QStringLiteral("ThreadingModel"), QStringLiteral("Apartment"));
    EXPECT_TRUE(utils::isInstallWord());
}

TEST_F(WordLookup, OtherKeysAndRootsDoNotCount)
{
    win32::RegistryKey::setValue(win32::RegistryRoot::LocalMachine, kWordServerKey, QString(),
                                 QStringLiteral("winword"));
    win32::RegistryKey::setValue(win32::RegistryRoot::ClassesRoot,
                                 QStringLiteral("CLSID\\{000209FF-0000-0000-C000-000000000046}\\LocalServer"),
                                 QString(), QStringLiteral("winword"));
    EXPECT_FALSE(utils::isInstallWord());
}

TEST_F(WordLookup, RegistryKeyReadsValuesOfAnOpenKeyOnly)
{
    win32::RegistryKey::setValue(win32::RegistryRoot::CurrentUser, QStringLiteral("Software\\Maker\\Tool"),
                                 QStringLiteral("Level"), 3);
    win32::RegistryKey key;
    QVariant value;
    EXPECT_EQ(key.queryValue(QStringLiteral("Level"), &value), win32::kErrorFileNotFound);
    // A key that holds only sub-keys exists too.
    EXPECT_EQ(key.open(win32::RegistryRoot::CurrentUser, QStringLiteral("Software\\Maker")), win32::kErrorSuccess);
    EXPECT_EQ(key.open(win32::RegistryRoot::CurrentUser, QStringLiteral("Software\\Maker\\Tool")), win32::kErrorSuccess);
    EXPECT_EQ(key.queryValue(QStringLiteral("LEVEL"), &value), win32::kErrorSuccess);
    EXPECT_EQ(value.toInt(), 3);
    EXPECT_EQ(key.queryValue(QString(), &value), win32::kErrorFileNotFound);
    key.close();
    EXPECT_EQ(key.queryValue(QStringLiteral("Level"), &value), win32::kErrorFileNotFound);
    EXPECT_EQ(key.open(win32::RegistryRoot::CurrentUser, QStringLiteral("Software\\Other")),
              win32::kErrorFileNotFound);
}

} // namespace
