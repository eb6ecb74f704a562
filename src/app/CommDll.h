// CCommDll: the external-control block in shared memory and the dispatch of
// its command codes.
//
// Another program writes a command into the block and sends the "call"
// request over the control socket; OnCallback copies the block into a private
// copy (every string bounded by its field), carries the command out through
// IExternalControl and, for the commands that answer, writes the private copy
// back for the caller to read.
#pragma once

#include "app/CommBlock.h"
#include "app/ExternalControl.h"
#include "platform/SharedMemory.h"

#include <string>

enum class CommResult {
    Done,        // the command ran (and its reply, if any, is in the block)
    Disabled,    // not enabled yet, or the block is not open
    UnknownCode, // not one of the codes 0 to 17; nothing done
    BadBlock,    // the block could not be read or written back
};

// The word the control socket replies with for each result.
const char* CommResultWord(CommResult result);

class CCommDll {
public:
    // The longest speak time code 12 may ask for (one day).
    static constexpr unsigned kMaxSpeakSeconds = 24 * 60 * 60;

    CCommDll() = default;

    // Creates (or takes over from a crashed instance) the block named after
    // the runtime folder.
    bool Open(const std::string& runtimeFolder, std::string* error);
    void Close() { m_block.Close(); }
    bool IsOpen() const { return m_block.IsOpen(); }

    // The main window enables the block once it can serve the commands.
    void Enable(bool bEnabled = true) { m_bEnabled = bEnabled; }
    bool IsEnabled() const { return m_bEnabled; }

    CommResult OnCallback(IExternalControl& control);

    // The copy taken by the last callback.
    const CommBlockData& PrivateCopy() const { return m_data; }

    // Code 12's string 3 as a number of seconds: its leading decimal digits;
    // 0 (no timer) for anything that is not a positive count, capped at
    // kMaxSpeakSeconds so that the milliseconds never overflow.
    static unsigned ParseSpeakSeconds(const std::string& text);

private:
    bool CopyIn();
    bool CopyOut();
    bool WriteReport(const std::string& sReport);

    SharedMemoryBlock m_block;
    bool m_bEnabled = false;
    CommBlockData m_data;
};
