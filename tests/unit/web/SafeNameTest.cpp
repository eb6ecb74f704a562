#include "web/SafeName.h"
#include "TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct NameCase {
    std::string raw;
    std::optional<std::string> name; // nullopt: refused
};

const NameCase kNames[] = {
    {"call 0815.wav", "call 0815.wav"},
    {"Recorded+Calls", "Recorded Calls"},
    {"M%C3%BCller%20%2B1.wav", "Müller +1.wav"},
    {"", std::nullopt},
    {".", std::nullopt},
    {"../index.dat", std::nullopt},
    {"%2e%2e%2findex.dat", std::nullopt},
    {"%252e%252e%252findex.dat", std::nullopt}, // encoded twice
    {"/etc/passwd", std::nullopt},
    {"%2fetc%2fpasswd", std::nullopt},
    {"a\\x.wav", std::nullopt},
    {"a%00.wav", std::nullopt},
    {"a%0d%0aSet-Cookie: x", std::nullopt},
    {"a%zz", std::nullopt},
    {std::string(255, 'a'), std::string(255, 'a')},
    {std::string(256, 'a'), std::nullopt},
};

TEST(SafeName, TakesPlainNamesAndRefusesEveryWayOut) {
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(c.raw);
        std::string why;
        EXPECT_EQ(DecodeSafeName(c.raw, &why), c.name) << why;
        EXPECT_EQ(why.empty(), c.name.has_value());
    }
}

TEST(SafeName, PathStaysInsideItsFolderThroughLinks) {
    TempHome home;
    const std::filesystem::path folder = home.File("Recorded Calls");
    home.Write("Recorded Calls/a.wav", "x");
    std::filesystem::create_symlink("/etc/passwd", folder / "out.wav");
    std::filesystem::create_symlink("/nowhere/x", folder / "dangling.wav");
    EXPECT_EQ(SafePathIn(folder, "a.wav"), std::filesystem::canonical(folder / "a.wav"));
    EXPECT_EQ(SafePathIn(folder, "new.wav"), std::filesystem::canonical(folder) / "new.wav");
    std::string why;
    EXPECT_FALSE(SafePathIn(folder, "out.wav", &why));
    EXPECT_EQ(why, "the name leads outside its folder");
    EXPECT_FALSE(SafePathIn(folder, "dangling.wav"));
}

} // namespace
