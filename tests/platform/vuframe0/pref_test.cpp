#include "platform/vuframe0/vupref.h"

#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PrefStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        VuPref::setStoreFolder(m_dir.path());
    }
    void TearDown() override { VuPref::setStoreFolder(QString()); }

    // Runs the probe program against this test's store: a fresh process, as
    // after a restart of the program.
    QString probe(const QStringList& arguments, int* exitCode = nullptr)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUIREFLOW_PREF_DIR"), m_dir.path());
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/vuframe0_probe"),
                      arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        if (exitCode)
            *exitCode = process.exitCode();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QTemporaryDir m_dir;
};

TEST_F(PrefStore, AbsentKeyGivesTheDefault)
{
    EXPECT_FALSE(VuPref::contains(QStringLiteral("last_outputfile_radio")));
    EXPECT_EQ(VuPref::value(QStringLiteral("last_outputfile_radio"), false).toBool(), false);
    EXPECT_EQ(VuPref::value(QStringLiteral("selected_mode"), 7).toInt(), 7);
    EXPECT_FALSE(VuPref::value(QStringLiteral("temporarydir")).isValid());
}

TEST_F(PrefStore, ValuesReadBackWithTheirMeaning)
{
    VuPref::setValue(QStringLiteral("last_outputfile_radio"), true, false);
    VuPref::setValue(QStringLiteral("selected_mode"), 1, false);
    VuPref::setValue(QStringLiteral("last_outputfile_dir"), QStringLiteral("/home/ann/Bücher %2"),
                     false);
    EXPECT_TRUE(VuPref::value(QStringLiteral("last_outputfile_radio"), false).toBool());
    EXPECT_EQ(VuPref::value(QStringLiteral("selected_mode"), 0).toInt(), 1);
    EXPECT_EQ(VuPref::value(QStringLiteral("last_outputfile_dir")).toString(),
              QStringLiteral("/home/ann/Bücher %2"));

    VuPref::setValue(QStringLiteral("last_outputfile_radio"), false, false);
    EXPECT_FALSE(VuPref::value(QStringLiteral("last_outputfile_radio"), true).toBool());
    VuPref::remove(QStringLiteral("selected_mode"));
    EXPECT_EQ(VuPref::value(QStringLiteral("selected_mode"), 5).toInt(), 5);
}

TEST_F(PrefStore, StoreIsOneIniFileInTheChosenFolder)
{
    VuPref::setValue(QStringLiteral("last_show_hint"), false, false);
    const QString file = VuPref::storeFile();
    EXPECT_EQ(QFileInfo(file).absolutePath(), QFileInfo(m_dir.path()).absoluteFilePath());
    EXPECT_TRUE(file.endsWith(QStringLiteral(".ini")));
    EXPECT_TRUE(testfiles::readAll(file).contains("last_show_hint=false"));
}

TEST_F(PrefStore, DelayedValueStillReachesTheFile)
{
    VuPref::setValue(QStringLiteral("temporarydir"), QStringLiteral("/tmp/x"), true);
    EXPECT_TRUE(testfiles::readAll(VuPref::storeFile()).contains("temporarydir=/tmp/x"));
}

TEST_F(PrefStore, ValuesPersistAcrossARestart)
{
    // Written by this process, read by a new one.
    VuPref::setValue(QStringLiteral("last_openfile_dir"), QStringLiteral("/srv/pdf files"), false);
    EXPECT_EQ(probe({ QStringLiteral("pref-get"), QStringLiteral("last_openfile_dir") }),
              QStringLiteral("/srv/pdf files\n"));

    // Written by one run of a program, read by the next run.
    int code = -1;
    probe({ QStringLiteral("pref-set"), QStringLiteral("last_outputfile_dir"),
            QStringLiteral("/home/ann/books") },
          &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(probe({ QStringLiteral("pref-get"), QStringLiteral("last_outputfile_dir") }),
              QStringLiteral("/home/ann/books\n"));
    EXPECT_EQ(VuPref::value(QStringLiteral("last_outputfile_dir")).toString(),
              QStringLiteral("/home/ann/books"));
    EXPECT_EQ(probe({ QStringLiteral("pref-get"), QStringLiteral("never_set") }),
              QStringLiteral("<absent>\n"));
}

TEST_F(PrefStore, EnvironmentChoosesTheDefaultFolder)
{
    const QString fromEnv = qEnvironmentVariable("QUIREFLOW_PREF_DIR");
    if (fromEnv.isEmpty())
        GTEST_SKIP() << "QUIREFLOW_PREF_DIR is not set (the test runner sets it)";
    VuPref::setStoreFolder(QString());
    EXPECT_EQ(VuPref::storeFolder(), QDir::cleanPath(fromEnv));
}

TEST(Product, NamesAndKeys)
{
    EXPECT_EQ(VuPref::product_name(), QStringLiteral("quireflow"));
    EXPECT_FALSE(VuPref::company_root_key().isEmpty());
    EXPECT_FALSE(VuPref::product_key().isEmpty());
    EXPECT_FALSE(VuPref::product_key().contains(QLatin1Char('/')));
}

TEST(Product, TranslucentFlagIsKept)
{
    VuPref::setTanslucentWhenSkin(false);
    VuPref::setTanslucentWhenSkin(false);
    EXPECT_FALSE(VuPref::tanslucentWhenSkin());
    VuPref::setTanslucentWhenSkin(true);
    EXPECT_TRUE(VuPref::tanslucentWhenSkin());
}

} // namespace
