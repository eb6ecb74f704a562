// The main() of the desktop program's tests: the environment of every test
// program, the offscreen platform unless another one is asked for, and the
// one QApplication the widgets need.
#include <QApplication>

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::setenv("VORELLA_SOURCE_DIR", VORELLA_SOURCE_DIR_FALLBACK, 0);
    ::setenv("VORELLA_BIN_DIR", VORELLA_BIN_DIR_FALLBACK, 0);
    ::setenv("VORELLA_AUDIO", "null", 0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
