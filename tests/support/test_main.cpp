// The test main: a QApplication on the offscreen platform, then every GoogleTest case.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QUORBEL_SOURCE_DIR")) qputenv("QUORBEL_SOURCE_DIR", QUORBEL_TEST_SOURCE_DIR);
    if (qEnvironmentVariableIsEmpty("QUORBEL_PROGRAM_BUILD_DIR")) qputenv("QUORBEL_PROGRAM_BUILD_DIR", QUORBEL_TEST_PROGRAM_BUILD_DIR);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
