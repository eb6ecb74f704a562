#include "app/MainWindowRules.h"

#include "config/SettingsProvider.h"
#include "engine/CallState.h"
#include "platform/TextUtil.h"

#include <algorithm>

int MainStatusId(const MainLineFlags& flags) {
    if (flags.bRecording)
        return 110;
    if (flags.bPlaying || flags.bHold)
        return 122;
    if (flags.bTalking)
        return 57992;
    return flags.bPaused ? 131 : 109;
}

bool MainStatusShowsTime(const MainLineFlags& flags) {
    const int id = MainStatusId(flags);
    return id == 122 || id == 57992;
}

std::string RunningTimeText(uint32_t ms) {
    const uint32_t s = ms / 1000;
    return StrPrintf("%.2u:%.2u:%.2u", s / 3600, s / 60 % 60, s % 60);
}

MainCallButtons MainCallButtonsFor(int nSelectedRows, const std::string& sPlayerFile) {
    MainCallButtons b;
    b.bDelete = nSelectedRows > 0;
    b.bPlay = b.bSend = !sPlayerFile.empty() && sPlayerFile != "NULL";
    return b;
}

void CCallKeys::SetBusy(bool bBusy) {
    if (bBusy && !m_bBusy)
        m_sKeys.clear();
    m_bBusy = bBusy;
}

void CCallKeys::Append(char key) {
    const bool bKey = (key >= '0' && key <= '9') || key == '*' || key == '#' ||
                      (key >= 'A' && key <= 'D');
    if (!bKey)
        return;
    if (m_sKeys.size() >= kMaxKeys)
        m_sKeys.erase(0, m_sKeys.size() - kMaxKeys + 1);
    m_sKeys += key;
}

int32_t RecordActionFor(bool bLegal) {
    return bLegal ? kActionAnswer : kActionRecord;
}

MainPlacement LoadMainPlacement(ISettingsProvider& settings) {
    MainPlacement p;
    p.nPosX = settings.GetInt("PosX");
    p.nPosY = settings.GetInt("PosY");
    p.nSizeX = settings.GetInt("SizeX");
    p.nSizeY = settings.GetInt("SizeY");
    p.dwWindowState = static_cast<uint32_t>(settings.GetInt("dwWindowState"));
    return p;
}

bool SaveMainPlacement(ISettingsProvider& settings, const MainPlacement& p) {
    bool ok = settings.SetInt("SizeX", p.nSizeX);
    ok = settings.SetInt("SizeY", p.nSizeY) && ok;
    ok = settings.SetInt("PosX", p.nPosX) && ok;
    ok = settings.SetInt("PosY", p.nPosY) && ok;
    ok = settings.SetInt("dwWindowState", static_cast<int>(p.dwWindowState)) && ok;
    return ok;
}

MainPlacement PlaceOnScreens(MainPlacement p, const std::vector<ScreenRect>& screens) {
    auto onScreen = [&](int x, int y) -> const ScreenRect* {
        for (const ScreenRect& s : screens)
            if (s.Contains(x, y))
                return &s;
        return nullptr;
    };
    if (!onScreen(p.nPosX, p.nPosY)) {
        p.nPosX = 0;
        p.nPosY = 0;
        if (!onScreen(0, 0) && !screens.empty()) {
            p.nPosX = screens.front().x;
            p.nPosY = screens.front().y;
        }
    }
    if (const ScreenRect* s = onScreen(p.nPosX, p.nPosY)) {
        p.nSizeX = std::min(p.nSizeX, s->x + s->w - p.nPosX);
        p.nSizeY = std::min(p.nSizeY, s->y + s->h - p.nPosY);
    }
    return p;
}

MainStart MainStartFor(uint32_t dwWindowState, bool bShowMainDlg) {
    switch (dwWindowState) {
    case 1:
        return MainStart::Maximised;
    case 2:
        return MainStart::Minimised;
    case 3:
        return MainStart::Hidden;
    default:
        return bShowMainDlg ? MainStart::Normal : MainStart::Hidden;
    }
}
