// The application's own process-wide flags (the call-state flags the worker
// shares live with the engine).
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<bool> g_bRestart;       // the main window's "&Restart" was chosen
extern std::atomic<bool> g_bShowMainDlg;   // Startup/ShowMainDlg
extern std::atomic<bool> g_bFixedFont;     // Options/g_bFixedFont
extern std::atomic<bool> g_bFlashOnNewMsg; // Options/bFlashOnNewMsg
// 65535 once the hidden window is up (its tray icon shown).
extern std::atomic<uint32_t> g_nWindowReady;
inline constexpr uint32_t kWindowReady = 65535;

// Back to the values at load (tests run several starts in one process).
void ResetAppState();
