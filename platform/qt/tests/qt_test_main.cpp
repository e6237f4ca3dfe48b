// The Qt tests need one QApplication for the whole run; GoogleTest runs the
// cases inside it.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    // Offscreen unless a test run asks for a real display (xvfb-run). Set
    // here because CTest passes only the first variable of a discovered
    // test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "Europe/Berlin");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
