// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the user manual: installed beside the programs, or in the source
// tree when they run from a build tree; the pages the program opens exist.
// What a missing page says: MainDlgTest and SetupWizardTest.
#include "app/HelpManual.h"
#include "TempHome.h"

#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

TEST(HelpManual, FoundInstalledBesideTheProgramsOrInTheSourceTreeOfABuildTree) {
    // The built programs' folder holds the shipped defaults: a build tree.
    const std::string bin = WithTrailingSlash(std::getenv("VORELLA_BIN_DIR"));
    const std::vector<std::string> fromBuild = ManualFolders(bin);
    for (const char* page :
         {"index.html", "faq/tapivscom.html", "greeting.html", "adapter.html", "sip.html"})
        EXPECT_EQ(FindManualPage(page, fromBuild), SourceFile("docs/manual/") + page) << page;

    // An installed prefix: PREFIX/bin/ with the manual in PREFIX/share/doc/.
    TempHome home;
    home.Write("prefix/share/doc/vorella/manual/index.html", "<html></html>");
    std::filesystem::create_directories(home.File("prefix/bin"));
    const std::vector<std::string> installed = ManualFolders(home.File("prefix/bin/"));
    EXPECT_EQ(FindManualPage("index.html", installed),
              home.File("prefix/bin/../share/doc/vorella/manual/index.html"));
    EXPECT_EQ(FindManualPage("greeting.html", installed).find(home.Path()), std::string::npos)
        << "a page this prefix lacks is not made up";
    for (const std::string& folder : installed)
        EXPECT_NE(folder, SourceFile("docs/manual/")) << "the source tree is a build tree's only";

    // A page name never leaves the manual's folder.
    home.Write("prefix/share/doc/vorella/secret.html", "x");
    EXPECT_EQ(FindManualPage("../secret.html", installed), "");
    EXPECT_EQ(FindManualPage(home.File("prefix/share/doc/vorella/secret.html"), installed), "");
}
