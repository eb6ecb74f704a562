// The main window's rules that need no widgets: what the status bar says,
// which call buttons are enabled, what the record button asks of the
// worker, and where the window comes back at the next start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ISettingsProvider;

// The line as the 100 ms refresh sees it.
struct MainLineFlags {
    bool bRecording = false;
    bool bPlaying = false;
    bool bHold = false;
    bool bPaused = false;
    bool bTalking = false; // a call is talked at the PC
};

// The status bar's string id: 110 "Recording conversation", 122
// "Playing..." (playing or holding), 57992 "Talking at the PC", 109 "Ready",
// 131 "Stopped" (paused).
int MainStatusId(const MainLineFlags& flags);
// Whether the status shows the running time of the call.
bool MainStatusShowsTime(const MainLineFlags& flags);
// "%.2d:%.2d:%.2d": hours, minutes, seconds of ms.
std::string RunningTimeText(uint32_t ms);

struct MainCallButtons {
    bool bDelete = false; // a row is selected
    bool bPlay = false;   // the player holds a recording
    bool bSend = false;   // likewise
};
MainCallButtons MainCallButtonsFor(int nSelectedRows, const std::string& sPlayerFile);

// The main window's key display: the touch-tone keys the caller pressed on
// the call now on the line. A call that starts (the window becomes busy with
// one) starts with none; the keys stay after it ends, until the next one.
// The device's other event characters (busy, dial tone, fax) are not keys.
class CCallKeys {
public:
    // What the display keeps: the last keys of a caller who goes on pressing.
    static constexpr size_t kMaxKeys = 32;

    void SetBusy(bool bBusy);
    void Append(char key);
    bool Busy() const { return m_bBusy; }
    const std::string& Keys() const { return m_sKeys; }

private:
    bool m_bBusy = false;
    std::string m_sKeys;
};

// The record button: action 1 (record) or, with the "&L" toggle on, 8
// (the answering machine).
int32_t RecordActionFor(bool bLegal);

// A screen's rectangle in desktop coordinates.
struct ScreenRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// What the settings keep of the window (Options: PosX, PosY, SizeX, SizeY,
// dwWindowState).
struct MainPlacement {
    int nPosX = 0, nPosY = 0, nSizeX = 0, nSizeY = 0;
    uint32_t dwWindowState = 0;
};
MainPlacement LoadMainPlacement(ISettingsProvider& settings);
// False when the settings could not be written.
bool SaveMainPlacement(ISettingsProvider& settings, const MainPlacement& placement);

// A position on none of the screens (negative, beyond them, or on a monitor
// that is gone) becomes (0, 0), or the first screen's corner when (0, 0) is
// on none either; a size larger than the screen it lands on is cut to it.
MainPlacement PlaceOnScreens(MainPlacement placement, const std::vector<ScreenRect>& screens);

// How the window starts, by dwWindowState: 0 shown when ShowMainDlg asks for
// it, 1 maximised, 2 minimised, 3 hidden (whatever ShowMainDlg says).
enum class MainStart { Hidden, Normal, Maximised, Minimised };
MainStart MainStartFor(uint32_t dwWindowState, bool bShowMainDlg);
