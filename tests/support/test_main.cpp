// Every test program runs inside a QApplication (offscreen under CTest), so
// widgets, images and queued signals work as in the program.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    // Also when run by hand or listed by CTest's test discovery.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
