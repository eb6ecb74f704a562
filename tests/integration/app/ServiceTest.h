// The built service as its tests start it: a private program folder with the
// shipped files and quick settings, vorellad with its log in a file, the
// built vorellactl run against it, and what the log says.
#pragma once

#include "ChildProcess.h"
#include "HttpClient.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include "ModemSim.h"
#include "platform/ProfileFile.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

class ServiceTest : public ::testing::Test {
protected:
    ServiceTest() {
        for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
            home.CopyShipped(f);
    }
    void TearDown() override {
        if (service.Pid() > 0)
            Terminate();
    }

    // vorella.ini: short timings and a quiet ring (the service must not wait
    // for a real line, and a test machine has no sound card to ring), the
    // [Options] lines given, and further sections.
    void WriteSettings(const std::string& options, const std::string& sections = "") {
        home.Write("vorella.ini", "[Options]\nbStartDisabled=0\nnDebugLevel=1\n"
                                  "dwTimeoutQuant=10\ndwTimeoutDefault=2000\niPopup=0\n"
                                  "bSoftAGC=0\nbEMailCID=0\n" +
                                      options + "[Sounds]\nsWaveRingIn=\n" + sections);
    }
    void SetOption(const std::string& key, int n) {
        WriteProfileIntTo(home.File("vorella.ini"), "Options", key, n);
    }
    // A simulated modem of that personality as COM9, and the settings.
    void UseModem(const std::string& personality, const std::string& options) {
        modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For(personality);
        o.logFile = home.File("sim.log");
        sim = std::make_unique<modemsim::ModemSim>(o);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        WriteSettings(options, "[Ports]\nCOM9=" + sim->SlavePath() + "\n");
    }
    // The next caller speaks a tone, with this caller ID when number is given.
    void CallerSpeaks(const std::string& number = "", const std::string& name = "") {
        sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));
        modemsim::CallerId id;
        id.number = number;
        id.name = name;
        if (!number.empty())
            sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    }
    void SetOption(const std::string& key, const std::string& text) {
        WriteProfileStringTo(home.File("vorella.ini"), "Options", key, text);
    }
    // Mail notices with the recording to owner@example.com, through the
    // SMTP server on that port of 127.0.0.1.
    void MailTo(int nPort) {
        SetOption("bEMailCID", 2);
        SetOption("m_sSmtp", "127.0.0.1");
        SetOption("m_nSmtpPort", nPort);
        SetOption("m_sRecipsAdderss", "owner@example.com");
    }
    void AnswerAtRing2() {
        SetOption("nAction", 1);
        SetOption("nRings", 2);
    }

    bool Launch() { return service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")); }
    // Up when it answers and, unless told not to wait, its modem is ready.
    void StartService(bool bWaitForModem = true) {
        ASSERT_TRUE(Launch());
        ASSERT_TRUE(WaitUntil([&] { return Ctl({"status"}).nExit == 0; })) << Log();
        if (bWaitForModem) {
            ASSERT_TRUE(sim->WaitForCommand("CID=", 60000)) << Log() << home.Read("modem.log");
        }
    }
    // SIGTERM; the exit code.
    int Terminate() {
        service.Signal(SIGTERM);
        return service.Wait(30000);
    }
    // "vorellactl quit"; the service's exit code.
    int Quit() {
        EXPECT_EQ(Ctl({"quit"}).nExit, 0);
        return service.Wait(30000);
    }
    ProgramRun Ctl(std::vector<std::string> args) {
        args.insert(args.begin(), BuiltProgram("vorellactl"));
        return RunProgram(args);
    }
    // Until "vorellactl status" starts with head.
    bool StatusBecomes(const std::string& head) {
        return WaitUntil([&] { return Ctl({"status"}).out.starts_with(head); });
    }

    // The web page on that port, its password set as a script sets it.
    void EnableWebPage(int port, const std::string& password) {
        WriteProfileIntTo(home.File("vorella.ini"), "Web", "bEnable", 1);
        WriteProfileIntTo(home.File("vorella.ini"), "Web", "nPort", port);
        const ProgramRun set =
            RunProgram({BuiltProgram("vorella-tool"), "web-password"}, 60000, password + "\n");
        ASSERT_EQ(set.nExit, 0) << set.err;
    }
    // Once the page is up, a login with that form-encoded password: the
    // session's cookie ("name=value"; "" when refused).
    std::string WebSession(int port, const std::string& formPassword) {
        if (!WaitUntil([&] {
                return Logged("web page at http://127.0.0.1:" + std::to_string(port) + "/");
            }))
            return {};
        const HttpReply login = HttpRequestTo(port, "POST", "/login", "", "password=" + formPassword);
        const std::string cookie = login.Header("set-cookie");
        return login.nStatus == 303 ? cookie.substr(0, cookie.find(';')) : std::string();
    }
    // The service's resident memory in KiB (0 when it cannot be read).
    long ServiceResidentKiB() const {
        std::ifstream status("/proc/" + std::to_string(service.Pid()) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.starts_with("VmRSS:"))
                return std::stol(line.substr(6));
        return 0;
    }

    std::string Log() const { return home.Read("vorellad.log"); }
    bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
    // The log's lines without their time stamps; every line must have one
    // ("2026-12-07 14:03:59 vorellad: ").
    std::vector<std::string> LogTexts() const {
        static const std::regex kStamp(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} vorellad: (.*)$)");
        std::vector<std::string> texts;
        std::istringstream in(Log());
        std::string line;
        std::smatch m;
        while (std::getline(in, line)) {
            if (std::regex_match(line, m, kStamp))
                texts.push_back(m[1]);
            else if (line.find("vorellad") != std::string::npos)
                texts.push_back("NO TIME STAMP: " + line);
        }
        return texts;
    }
    // How many log lines start with head.
    long LinesStartingWith(const std::string& head) const {
        const std::vector<std::string> texts = LogTexts();
        return std::count_if(texts.begin(), texts.end(),
                             [&](const std::string& t) { return t.starts_with(head); });
    }
    static size_t Occurrences(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    // A tone of that many seconds made by sox, as a WAV file in the folder.
    std::string MakeTone(const std::string& name, int nSeconds) {
        const std::string file = home.File(name);
        const ProgramRun made =
            RunProgram({"/usr/bin/sox", "-n", "-r", "8000", "-b", "16", "-c", "1", file, "synth",
                        std::to_string(nSeconds), "sine", "1000", "vol", "0.2"});
        EXPECT_EQ(made.nExit, 0) << made.err;
        return file;
    }

    TempHome home;
    std::unique_ptr<modemsim::ModemSim> sim;
    BackgroundProgram service;
};
