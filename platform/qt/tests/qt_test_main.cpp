// The Qt tests need one QApplication for the whole run; GoogleTest runs the
// cases inside it.
#include <QApplication>

#include <gtest/gtest.h>

#include <ctime>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    // Offscreen unless a test run asks for a real display (xvfb-run); the
    // time zone pinned as for every other test executable.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "Europe/Berlin");
    qputenv("LC_ALL", "C");
    tzset();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
