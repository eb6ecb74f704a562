#include "app/AppState.h"

std::atomic<bool> g_bRestart{false};
std::atomic<bool> g_bShowMainDlg{false};
std::atomic<bool> g_bFixedFont{false};
std::atomic<bool> g_bFlashOnNewMsg{false};
std::atomic<uint32_t> g_nWindowReady{0};

void ResetAppState() {
    g_bRestart = false;
    g_bShowMainDlg = false;
    g_bFixedFont = false;
    g_bFlashOnNewMsg = false;
    g_nWindowReady = 0;
}
