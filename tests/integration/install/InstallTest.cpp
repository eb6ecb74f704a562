// SPDX-License-Identifier: GPL-3.0-or-later
// The installed Vorella: this build installed into a fresh DESTDIR with
// `cmake --install`, its files checked by the tools the desktop and Debian
// check them with, and its programs run from there with a fresh data home,
// as a user who has just installed the package runs them.
#include "ChildProcess.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include "ModemSim.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

namespace {

bool IsExecutable(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
}

class InstalledTest : public ::testing::Test {
protected:
    // This build installed into a DESTDIR, with the options given.
    ProgramRun Install(const std::string& to, std::vector<std::string> options = {}) {
        options.insert(options.begin(), {VORELLA_CMAKE_COMMAND, "-E", "env", "DESTDIR=" + to,
                                         VORELLA_CMAKE_COMMAND, "--install", VORELLA_BUILD_DIR});
        return RunProgram(options, 240000);
    }
    // An installed file by its full path after installation.
    std::string Installed(const std::string& fullPath) const { return dest + fullPath; }
    std::string Program(const std::string& name) const {
        return Installed(std::string(VORELLA_INSTALL_BINDIR) + "/" + name);
    }
    std::string ProgramFolder() const { return home.File("data-home/vorella/"); }

    TempHome home;
    std::string dest;
};

// One install carries every check: its files where the system looks and
// passing their checkers, then its programs run from a fresh data home (a
// call recorded from the command line, and the exits), then an install
// with a prefix of its own.
TEST_F(InstalledTest, FilesAreInPlaceAndTheProgramsRunFromAFreshDataHome) {
    // Only the installed files count: no VORELLA_HOME, a data home of the
    // test's own (set by TempHome) that holds nothing yet.
    ::unsetenv("VORELLA_HOME");
    dest = home.File("dest");
    ProgramRun r = Install(dest);
    ASSERT_EQ(r.nExit, 0) << r.out << r.err;
    const std::string installOutput = r.out;

    for (const char* p : {"vorella", "vorellad", "vorellactl", "vorella-tool"})
        EXPECT_TRUE(IsExecutable(Program(p))) << p;
    // The simulator is a test tool; no installed program starts it.
    EXPECT_FALSE(FileExists(Program("modemsim")));

    const std::string data = VORELLA_INSTALL_DATADIR;
    const std::string shared = Installed(data + "/vorella/");
    for (const char* f : {"vorella.def", "brand.ini", "modem.ini", "cfg/custom.cfg",
                          "wave/greet.wav", "styles/inbox.xsl", "dev/hold.130-4-8000"})
        EXPECT_TRUE(FileExists(shared + f)) << f;
    for (const char* d : {"desktop", "systemd", "udev"})
        EXPECT_FALSE(DirectoryExists(shared + d))
            << d << " is the system's, not the program folder's";

    const std::string desktop = Installed(data + "/applications/vorella.desktop");
    r = RunProgram({"desktop-file-validate", desktop});
    EXPECT_EQ(r.nExit, 0) << r.out << r.err;
    // Hints are suggestions; warnings and errors are faults.
    EXPECT_EQ(r.out.find("warning"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("error"), std::string::npos) << r.out;
    ProfileFile entry(desktop);
    EXPECT_TRUE(IsExecutable(Program(entry.GetString("Desktop Entry", "Exec", ""))));
    EXPECT_TRUE(FileExists(Installed(data + "/icons/hicolor/scalable/apps/vorella.svg")));
    for (const char* size : {"16", "22", "24", "32", "48", "64", "128", "256"})
        EXPECT_TRUE(FileExists(
            Installed(data + "/icons/hicolor/" + size + "x" + size + "/apps/vorella.png")))
            << size;

    r = RunProgram({"appstreamcli", "validate", "--no-net", "--pedantic",
                    Installed(data + "/metainfo/org.example.vorella.metainfo.xml")});
    EXPECT_EQ(r.nExit, 0) << r.out << r.err;

    for (const char* page : {"vorella", "vorellad", "vorellactl", "vorella-tool"}) {
        const std::string file =
            Installed(std::string(VORELLA_INSTALL_MANDIR) + "/man1/" + page + ".1");
        r = RunProgram({"groff", "-man", "-z", "-ww", file});
        EXPECT_EQ(r.nExit, 0) << page << r.err;
        EXPECT_EQ(r.err, "") << page;
    }

    // systemd runs the installed service by its full path.
    const std::string unit =
        Installed(std::string(VORELLA_SYSTEMD_USER_UNIT_DIR) + "/vorellad.service");
    ProfileFile service(unit);
    EXPECT_EQ(service.GetString("Service", "ExecStart", ""),
              std::string(VORELLA_INSTALL_BINDIR) + "/vorellad");
    // systemd's own check, where systemd is there, of a copy that names the
    // program where this test installed it.
    if (RunProgram({"systemd-analyze", "--version"}).nExit == 0) {
        std::string text = ReadWholeFile(unit, 1 << 20).value_or("");
        const std::string exec = "ExecStart=" + std::string(VORELLA_INSTALL_BINDIR) + "/vorellad";
        ASSERT_NE(text.find(exec), std::string::npos);
        text.replace(text.find(exec), exec.size(), "ExecStart=" + Program("vorellad"));
        home.Write("unit/vorellad.service", text);
        r = RunProgram(
            {"systemd-analyze", "verify", "--man=no", home.File("unit/vorellad.service")});
        EXPECT_EQ(r.nExit, 0) << r.out << r.err;
    }
    EXPECT_TRUE(
        FileExists(Installed(std::string(VORELLA_UDEV_RULES_DIR) + "/60-vorella-modems.rules")));

    // The manual: the pages the program opens, and every picture and link
    // of every page reaches an installed file.
    const std::string manual = Installed(data + "/doc/vorella/manual/");
    for (const char* page :
         {"index.html", "faq/tapivscom.html", "greeting.html", "adapter.html", "sip.html"})
        EXPECT_TRUE(FileExists(manual + page)) << page;
    const std::regex link(R"((?:href|src)="([^"#:]+)(?:#[^"]*)?")");
    int nLinks = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(manual)) {
        if (entry.path().extension() != ".html")
            continue;
        const std::string html = ReadWholeFile(entry.path().string(), 1 << 20).value_or("");
        for (std::sregex_iterator m(html.begin(), html.end(), link), end; m != end; ++m, ++nLinks)
            EXPECT_TRUE(std::filesystem::exists(entry.path().parent_path() / (*m)[1].str()))
                << entry.path() << " links to " << (*m)[1];
    }
    EXPECT_GT(nLinks, 50);

    // The first start fills the program folder from the installed files.
    r = RunProgram({Program("vorella-tool"), "settings"});
    ASSERT_EQ(r.nExit, 0) << r.err;
    EXPECT_NE(r.out.find("# data folder: " + ProgramFolder()), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Options\tnRings\t"), std::string::npos);
    for (const char* f : {"vorella.def", "brand.ini", "modem.ini", "cfg/usr-voice.cfg",
                          "wave/greet.wav", "styles/inbox.xsl"})
        EXPECT_EQ(ReadWholeFile(ProgramFolder() + f, 1 << 24),
                  ReadWholeFile(ShippedDataFolder() + f, 1 << 24))
            << f;
    EXPECT_EQ(ReadWholeFile(ProgramFolder() + "vorella.ini", 1 << 24),
              ReadWholeFile(ProgramFolder() + "vorella.def", 1 << 24));

    // The installed service on a simulated modem, driven by the installed
    // vorellactl.
    modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For("hash");
    o.logFile = home.File("sim.log");
    modemsim::ModemSim sim(o);
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    home.Write("data-home/vorella/vorella.ini",
               "[Options]\nnComPort=9\nbStartDisabled=0\ndwTimeoutQuant=10\n"
               "dwTimeoutDefault=2000\niPopup=0\nbSoftAGC=0\nbEMailCID=0\n[Sounds]\n"
               "sWaveRingIn=\n[Ports]\nCOM9=" +
                   sim.SlavePath() + "\n");
    modemsim::CallerId id;
    id.number = "5551234";
    id.name = "JOHN DOE";
    sim.SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim.SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));

    auto ctl = [&](const std::string& command) {
        return RunProgram({Program("vorellactl"), command});
    };
    BackgroundProgram vorellad;
    ASSERT_TRUE(vorellad.Launch({Program("vorellad")}, home.File("vorellad.log")));
    auto log = [&] { return home.Read("vorellad.log"); };
    ASSERT_TRUE(WaitUntil([&] { return ctl("status").nExit == 0; })) << log();
    ASSERT_TRUE(sim.WaitForCommand("CID=", 30000)) << log();
    EXPECT_EQ(ctl("status").out, "monitoring: on\ncall: none\n");

    sim.Ring(2, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitUntil([&] {
        return ctl("status").out.find("call: active") != std::string::npos;
    })) << log();
    ASSERT_EQ(ctl("record").nExit, 0) << log();
    ASSERT_TRUE(sim.WaitForCommand("VRX", 30000)) << log();
    std::string file;
    ASSERT_TRUE(WaitUntil([&] {
        file = ctl("file").out;
        return file.find(".wav") != std::string::npos;
    }));
    file.pop_back();
    EXPECT_EQ(file.rfind(ProgramFolder() + "Recorded Calls/rec", 0), 0u) << file;
    EXPECT_TRUE(WaitUntil([&] { return ctl("caller").out.find("JOHN DOE") != std::string::npos; }))
        << ctl("caller").out;
    // Some sound in the file: the modem has sent a second of it.
    ASSERT_TRUE(WaitUntil([&] {
        auto wav = ReadWholeFile(file, 1 << 24);
        return wav && wav->size() > 44u + 16000u;
    })) << log();
    EXPECT_EQ(ctl("stop").nExit, 0);
    ASSERT_TRUE(sim.WaitForReceiveEnd(30000)) << log();
    // The immediate exit: two quarter seconds and at most four seconds for
    // the line, then the shutdown's bounded waits (8 s for the port, 4 s
    // for the worker).
    EXPECT_EQ(ctl("quit").nExit, 0) << log();
    EXPECT_EQ(vorellad.Wait(30000), 0) << log();
    EXPECT_EQ(ctl("status").nExit, 3) << "gone, socket and all";
    EXPECT_EQ(GetProfileIntFrom(ProgramFolder() + "vorella.ini", "Startup", "bProperShutdown", -1),
              0);

    auto wav = ReadWholeFile(file, 1 << 24);
    ASSERT_TRUE(wav.has_value()) << file;
    EXPECT_EQ(wav->substr(0, 4), "RIFF");
    const std::string index = home.Read("data-home/vorella/Recorded Calls/index.dat");
    EXPECT_NE(index.find(file.substr(file.rfind('/') + 1)), std::string::npos) << index;
    EXPECT_NE(index.find("JOHN DOE"), std::string::npos) << index;

    // Packagers and users install with a prefix of their own; the unit then
    // names the service where it went, and the udev rule lies where udev reads
    // it, or the install says where to copy it.
    const std::string usr = home.File("usr-dest");
    r = Install(usr, {"--prefix", "/usr"});
    ASSERT_EQ(r.nExit, 0) << r.out << r.err;
    EXPECT_EQ(ProfileFile(usr + "/usr/lib/systemd/user/vorellad.service")
                  .GetString("Service", "ExecStart", ""),
              "/usr/bin/vorellad");
    EXPECT_TRUE(FileExists(usr + "/usr/lib/udev/rules.d/60-vorella-modems.rules"));
    EXPECT_FALSE(DirectoryExists(usr + "/usr/local"));
    EXPECT_EQ(r.out.find("udev reads no rules"), std::string::npos) << r.out;

    if (std::string(VORELLA_INSTALL_PREFIX) != "/usr") {
        EXPECT_NE(installOutput.find("copy 60-vorella-modems.rules from there to "
                                     "/etc/udev/rules.d/"),
                  std::string::npos)
            << installOutput;
    }
}

} // namespace
