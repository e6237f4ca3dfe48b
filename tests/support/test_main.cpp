// The main of every plain GoogleTest executable: pins the time zone and the
// C locale, so no test depends on where or when it runs.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    setenv("TZ", "Europe/Berlin", 1);
    setenv("LC_ALL", "C", 1);
    tzset();
    std::setlocale(LC_ALL, "C");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
