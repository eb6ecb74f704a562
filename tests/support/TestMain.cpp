// The main() of every test program: the same as GoogleTest's, with the
// environment every test expects set up front (where the source and build
// folders are, the SIP plugin the build made, and no sound card).
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

int main(int argc, char** argv) {
    ::setenv("VORELLA_SOURCE_DIR", VORELLA_SOURCE_DIR_FALLBACK, 0);
    ::setenv("VORELLA_BIN_DIR", VORELLA_BIN_DIR_FALLBACK, 0);
    ::setenv("VORELLA_SIP_PLUGIN",
             (std::string(std::getenv("VORELLA_BIN_DIR")) + "/libvorella-sip.so").c_str(), 0);
    ::setenv("VORELLA_AUDIO", "null", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
