// The test main: a QApplication on the offscreen platform, then every GoogleTest case.
#include <QApplication>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__) && defined(QUORBEL_SANE_TEST_BACKEND)
#include <dlfcn.h>
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QUORBEL_SOURCE_DIR")) qputenv("QUORBEL_SOURCE_DIR", QUORBEL_TEST_SOURCE_DIR);
    if (qEnvironmentVariableIsEmpty("QUORBEL_PROGRAM_BUILD_DIR")) qputenv("QUORBEL_PROGRAM_BUILD_DIR", QUORBEL_TEST_PROGRAM_BUILD_DIR);
#if defined(__SANITIZE_ADDRESS__) && defined(QUORBEL_SANE_TEST_BACKEND)
    // The leak checker cannot name a library that was unloaded before it ran: SANE's test backend
    // stays loaded to the end, so that its leaks are reported under its name (tests/support/lsan.supp).
    ::dlopen(QUORBEL_SANE_TEST_BACKEND, RTLD_LAZY | RTLD_NODELETE);
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
