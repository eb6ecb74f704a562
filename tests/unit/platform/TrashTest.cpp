// The desktop's trash as a file manager reads it: the file under files/,
// its .trashinfo under info/ with the original path and the time, and a
// second file of the same name under a name of its own.
#include "platform/Trash.h"

#include "TempHome.h"
#include "platform/FileUtil.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(Trash, FilesGoToTheHomeTrashWithTheirInfoAndNeverOverwriteEachOther) {
    TempHome home;
    const std::string trash = home.File("data-home/Trash/");
    home.Write("calls/rec 1%.wav", "first");
    home.Write("other/rec 1%.wav", "second");

    std::string error;
    ASSERT_TRUE(MoveToTrash(home.File("calls/rec 1%.wav"), &error)) << error;
    ASSERT_TRUE(MoveToTrash(home.File("other/rec 1%.wav"), &error)) << error;
    EXPECT_FALSE(FileExists(home.File("calls/rec 1%.wav")));

    EXPECT_EQ(ReadWholeFile(trash + "files/rec 1%.wav", 100).value_or(""), "first");
    EXPECT_EQ(ReadWholeFile(trash + "files/rec 1%.2.wav", 100).value_or(""), "second");
    const std::string info = ReadWholeFile(trash + "info/rec 1%.wav.trashinfo", 4096).value_or("");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
    // The path is percent-encoded: a blank and a percent sign among them.
    EXPECT_NE(info.find("calls/rec%201%25.wav\n"), std::string::npos) << info;
    EXPECT_NE(info.find("\nDeletionDate=20"), std::string::npos) << info;
    const std::string info2 =
        ReadWholeFile(trash + "info/rec 1%.2.wav.trashinfo", 4096).value_or("");
    EXPECT_NE(info2.find("other/rec%201%25.wav\n"), std::string::npos) << info2;
    EXPECT_EQ(std::filesystem::status(trash).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);

    // Each comes back to where it was, once.
    ASSERT_TRUE(RestoreFromTrash(home.File("other/rec 1%.wav"), &error)) << error;
    EXPECT_EQ(ReadWholeFile(home.File("other/rec 1%.wav"), 100).value_or(""), "second");
    EXPECT_FALSE(FileExists(trash + "info/rec 1%.2.wav.trashinfo"));
    EXPECT_FALSE(RestoreFromTrash(home.File("other/rec 1%.wav"), &error));
    home.Write("calls/rec 1%.wav", "new");
    EXPECT_FALSE(RestoreFromTrash(home.File("calls/rec 1%.wav"), &error)) << "never over a file";
    EXPECT_EQ(ReadWholeFile(trash + "files/rec 1%.wav", 100).value_or(""), "first");
}

TEST(Trash, AMissingFileIsNotTrashedAndRemoveFileSaysItWasGone) {
    TempHome home;
    std::string error;
    EXPECT_FALSE(MoveToTrash(home.File("nothing.wav"), &error));
    EXPECT_NE(error.find("nothing.wav"), std::string::npos) << error;
    EXPECT_EQ(RemoveFile(home.File("nothing.wav"), &error), RemoveOutcome::AlreadyGone);

    home.Write("a.wav", "x");
    EXPECT_EQ(RemoveFile(home.File("a.wav"), &error), RemoveOutcome::Trashed) << error;
    EXPECT_TRUE(FileExists(home.File("data-home/Trash/files/a.wav")));
}

TEST(Trash, WithoutAnyTrashTheFileIsDeletedOutright) {
    TempHome home;
    home.Write("a.wav", "x");
    // A trash folder that cannot be made: the data home is a plain file.
    home.Write("blocked", "not a folder");
    ::setenv("XDG_DATA_HOME", home.File("blocked").c_str(), 1);
    std::string error;
    EXPECT_EQ(RemoveFile(home.File("a.wav"), &error), RemoveOutcome::Deleted) << error;
    EXPECT_FALSE(FileExists(home.File("a.wav")));
}

} // namespace
