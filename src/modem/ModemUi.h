// What the modem layer needs from the front end: a status line, message
// boxes and Yes/No questions. The call engine's UI bridge implements it (the
// desktop program shows dialogs, the service writes log lines and takes the
// default answer); tests record the calls.
#pragma once

#include <string>

enum class MsgIcon { None, Information, Question, Exclamation, Error };

class IModemUi {
public:
    virtual ~IModemUi() = default;
    virtual void SetStatusText(const std::string& sText) = 0;
    virtual void ShowMessage(const std::string& sText, MsgIcon icon) = 0;
    // Asks a Yes/No question; a front end that cannot ask returns bDefault.
    virtual bool AskYesNo(const std::string& sText, bool bDefault) = 0;
    // The tray call-back the port scan sends the main window when it is done.
    virtual void NotifyPortScanDone() {}
};

// A front end that shows nothing and takes every default answer.
class CSilentModemUi : public IModemUi {
public:
    void SetStatusText(const std::string&) override {}
    void ShowMessage(const std::string&, MsgIcon) override {}
    bool AskYesNo(const std::string&, bool bDefault) override { return bDefault; }
};
