// Every test program runs inside a QApplication (offscreen under CTest), so
// widgets, images and queued signals work as in the program.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    // Also when run by hand or listed by CTest's test discovery.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // CTest runs the cases of one program side by side, one process each: a
    // temporary folder per process keeps their log files and page pictures
    // apart. Child processes a test starts inherit it.
    QTemporaryDir processTemp;
    if (processTemp.isValid())
        qputenv("TMPDIR", QFile::encodeName(processTemp.path()));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
