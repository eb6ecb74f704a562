// The command ids of the hidden window: the tray menu, the status menu and
// the framework's own exit. One enum, used by every front end.
#pragma once

enum CommandId : int {
    kCmdPlay = 1110,            // "&Play": the main window plays the selected call
    // The main window's own commands (buttons and menu).
    kCmdMoveToFolder = 767,      // "&Move to Folder..."
    kCmdHold = 1009,             // "Hold": the line on hold, or off it again
    kCmdDialNumber = 1013,       // "&i": dial the number in the number field
    kCmdHoldMusic = 1011,        // "Hold &On-Hold": hold with music, or stop it
    kCmdLegal = 1014,            // "&L": record button answers instead of recording
    kCmdSendTo = 1104,           // "S&end To..."
    kCmdDelete = 1113,           // "&Delete"
    kCmdUpdate = 1242,           // "&Update": write the current call into the index
    kCmdFind = 1243,             // "&Find"
    kCmdPrint = 32842,           // "Prin&t"
    kCmdAgc = 32843,             // "&AGC"
    kCmdMute = 32844,            // "Mu&te"
    kCmdEditRecording = 32847,   // "Edit &recording..."
    kCmdSaveAs = 32849,          // "Save &as..."
    kCmdExportXml = 32851,       // "&Export Calls to XML"
    kCmdPlayAFile = 32852,       // "&Play a File..."
    kCmdConfigure = 32772,      // "Configure the program": run the set-up again
    kCmdShowMainWindow = 32773, // the product name, bold default item
    kCmdStopCall = 32777,       // stop the call being handled
    kCmdOffHook = 32778,        // "Go off-hook"
    kCmdImitateRing = 32779,    // "Imitate incoming ring"
    kCmdOptions = 32782,        // "&Configuration..."
    kCmdOnline = 32789,         // "&Online"
    kCmdAway = 32790,           // "A&way"
    kCmdBusy = 32791,           // "&Busy": ring sounds muted
    kCmdDoNotDisturb = 32792,   // "&Do Not Disturb": no ring sounds, no pop-up
    kCmdOffline = 32793,        // "O&ffline"
    kCmdHelp = 32797,           // "&Contents"
    kCmdDiagnostics = 32798,    // "D&iagnostics..."
    kCmdRecord = 32802,         // "&Record"
    kCmdAnswer = 32805,         // the answering machine
    kCmdStopRecording = 32810,  // "&Stop"
    kCmdDisable = 32819,        // "&Disable" (the tray's middle click)
    kCmdTestPager = 32826,      // test pager
    kCmdTestMail = 32827,       // test e-mail
    kCmdExit = 32846,           // "E&xit": the immediate exit
    kCmdRestart = 32848,        // the main window's "&Restart"
    kCmdRecordGreeting = 32870, // "Record &Greeting..." (the greeting recorder)
    kCmdTalk = 32871,           // "A&nswer": talk at the PC (a telephony line)
    // Call screening from the tray.
    kCmdBlockLastCaller = 32880, // "Block the &last caller"
    kCmdPauseScreening = 32881,  // "Pa&use call screening" (checked while paused)
    kCmdContacts = 32882,       // "C&ontacts...": the contacts and screening rules
    kCmdAbout = 57664,          // "A&bout..."
    kCmdAppExit = 57665,        // the framework's exit: the orderly exit
};

// The hidden window's timers.
enum BasicTimer : int {
    kTimerTray = 3,  // tray icon update and click timing, 250 ms
    kTimerSpeak = 4, // one shot after an external dial-and-speak
    kTimerOrderlyExit = 666,
    kTimerStep = 7, // runs the commands' waits, only while one waits
};

inline constexpr unsigned kTrayTimerMs = 250;
inline constexpr unsigned kOrderlyExitTickMs = 800;
inline constexpr unsigned kStepTickMs = 5;
// The main window's refresh after "&Stop".
inline constexpr unsigned kStopRefreshMs = 4000;

// The tray states: 0 online; the worker plays no ring sound in 1 to 3.
inline constexpr int kTrayBusy = 2;
inline constexpr int kTrayDoNotDisturb = 3;
// The tray state shown while monitoring is paused.
inline constexpr int kTrayPaused = 4;
