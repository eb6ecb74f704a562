// The main() of the desktop program's tests: the environment of every test
// program, the offscreen platform with a small laptop's screen (1366x768)
// unless another platform is asked for, and the one QApplication the
// widgets need.
#include <QApplication>

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

int main(int argc, char** argv) {
    ::setenv("VORELLA_SOURCE_DIR", VORELLA_SOURCE_DIR_FALLBACK, 0);
    ::setenv("VORELLA_BIN_DIR", VORELLA_BIN_DIR_FALLBACK, 0);
    ::setenv("VORELLA_AUDIO", "null", 0);
    const std::string platform = std::string("offscreen:configfile=") +
                                 VORELLA_SOURCE_DIR_FALLBACK + "/tests/ui/laptop-screen.json";
    ::setenv("QT_QPA_PLATFORM", platform.c_str(), 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
