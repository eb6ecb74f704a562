// A stand-in for the program's core behind external control: it keeps the
// state the commands read and write and logs every action as one line.
#pragma once

#include "app/ExternalControl.h"

#include <functional>
#include <string>
#include <vector>

class FakeExternalControl : public IExternalControl {
public:
    bool bMonitoring = true;
    bool bCallActive = false;
    CallerFields caller;
    std::string sFile;
    bool bQuit = false;
    std::vector<std::string> log;
    // Called with every log line as it is added (the test server writes them out).
    std::function<void(const std::string&)> onAction;

    DiagnosticsProgress diagnostics;
    TalkOutcome talkOutcome = TalkOutcome::Done;

    bool IsMonitoring() override { return bMonitoring; }
    DiagnosticsProgress Diagnostics(bool bStart) override {
        Log(bStart ? "diagnostics start" : "diagnostics poll");
        return diagnostics;
    }
    TalkOutcome Talk(TalkRequest r) override {
        Log(r == TalkRequest::Answer ? "talk answer" : r == TalkRequest::Take ? "talk" : "talk off");
        return talkOutcome;
    }
    ScreeningReply screeningReply{true, "done"};
    bool bScreeningOn = true;
    ScreeningReply PutOnList(const std::string& number, ContactList list) override {
        Log(std::string(ListWord(list)) + " " + number);
        return screeningReply;
    }
    ScreeningReply PauseScreening(bool bPaused) override {
        Log(bPaused ? "screening off" : "screening on");
        return screeningReply;
    }
    bool IsScreeningOn() override { return bScreeningOn; }
    void SetMonitoring(bool bOn) override {
        bMonitoring = bOn;
        Log(bOn ? "monitor on" : "monitor off");
    }
    bool IsCallActive() override { return bCallActive; }
    void StartRecording() override {
        bCallActive = true;
        Log("record");
    }
    void StopCall() override {
        bCallActive = false;
        Log("stop call");
    }
    CallerFields GetCallerFields() override { return caller; }
    void SetCallerFields(const CallerFields& f) override {
        caller = f;
        Log("caller " + f.sName + "|" + f.sNumber + "|" + f.sText);
    }
    std::string GetCurrentFile() override { return sFile; }
    void PlayFile(const std::string& file) override { Log("play " + file); }
    void StopRecording() override { Log("stop recording"); }
    void SetCurrentFile(const std::string& file) override {
        sFile = file;
        Log("file " + file);
    }
    void Exit() override {
        bQuit = true;
        Log("exit");
    }
    void Dial(const std::string& number, bool bSpeak) override {
        Log(std::string(bSpeak ? "dial+speak " : "dial ") + number);
    }
    void StartSpeakTimer(unsigned ms) override { Log("timer4 " + std::to_string(ms)); }
    void ShowMainWindow() override { Log("show"); }
    void Quit() override {
        bQuit = true;
        Log("quit");
    }

private:
    void Log(const std::string& line) {
        log.push_back(line);
        if (onAction)
            onAction(line);
    }
};
