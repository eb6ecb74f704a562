#include "app/CommDll.h"

#include "platform/RuntimeFolder.h"

#include <cctype>
#include <vector>

const char* CommResultWord(CommResult result) {
    switch (result) {
    case CommResult::Done:
        return "ok";
    case CommResult::Disabled:
        return "disabled";
    case CommResult::UnknownCode:
        return "unknown-code";
    case CommResult::BadBlock:
        return "bad-block";
    }
    return "error";
}

bool CCommDll::Open(const std::string& runtimeFolder, std::string* error) {
    return m_block.Open(ControlBlockName(runtimeFolder), CommBlock::kSize,
                        SharedMemoryBlock::OpenMode::Create,
                        error) == SharedMemoryBlock::OpenResult::Ok;
}

bool CCommDll::CopyIn() {
    uint8_t raw[CommBlock::kUsedSize];
    if (!m_block.ReadAt(0, raw, sizeof raw))
        return false;
    m_data = DecodeCommBlock(raw);
    return true;
}

bool CCommDll::CopyOut() {
    uint8_t raw[CommBlock::kUsedSize];
    EncodeCommBlock(m_data, raw);
    return m_block.WriteAt(0, raw, sizeof raw);
}

bool CCommDll::WriteReport(const std::string& sReport) {
    // Cut to the block, which keeps room for the terminating zero.
    std::string text = sReport.substr(0, CommBlock::MaxChars(CommBlock::kReport));
    text.push_back('\0');
    return m_block.WriteAt(CommBlock::kReport.offset, text.data(), text.size());
}

unsigned CCommDll::ParseSpeakSeconds(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    unsigned long long n = 0;
    bool digits = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        digits = true;
        n = n * 10 + static_cast<unsigned>(text[i] - '0');
        if (n > kMaxSpeakSeconds)
            return kMaxSpeakSeconds;
    }
    return digits ? static_cast<unsigned>(n) : 0;
}

CommResult CCommDll::OnCallback(IExternalControl& control) {
    if (!m_bEnabled || !m_block.IsOpen())
        return CommResult::Disabled;
    if (!CopyIn())
        return CommResult::BadBlock;

    bool reply = false;
    switch (static_cast<CommCommand>(m_data.nCommand)) {
    case CommCommand::GetMonitoring:
        m_data.nParam1 = control.IsMonitoring() ? 1 : 0;
        m_data.sText = control.DeviceUnavailable();
        reply = true;
        break;
    case CommCommand::SetMonitoring:
        control.SetMonitoring(m_data.nParam1 != 0);
        break;
    case CommCommand::GetCallActive:
        m_data.nParam2 = control.IsCallActive() ? 1 : 0;
        reply = true;
        break;
    case CommCommand::RecordOrStop:
        if (m_data.nParam2 == 0)
            control.StopCall();
        else
            control.StartRecording();
        break;
    case CommCommand::GetCaller: {
        CallerFields f = control.GetCallerFields();
        m_data.sName = std::move(f.sName);
        m_data.sNumber = std::move(f.sNumber);
        m_data.sText = std::move(f.sText);
        reply = true;
        break;
    }
    case CommCommand::SetCaller:
        control.SetCallerFields({m_data.sName, m_data.sNumber, m_data.sText});
        break;
    case CommCommand::GetFile:
        m_data.sFile = control.GetCurrentFile();
        reply = true;
        break;
    case CommCommand::PlayFile:
        control.PlayFile(m_data.sFile);
        break;
    case CommCommand::StopRecording:
        control.StopRecording();
        break;
    case CommCommand::SetFile:
        control.SetCurrentFile(m_data.sFile);
        break;
    case CommCommand::Exit:
        control.Exit();
        break;
    case CommCommand::Dial:
        control.Dial(m_data.sNumber, false);
        break;
    case CommCommand::Diagnostics: {
        DiagnosticsProgress p = control.Diagnostics(m_data.nParam1 != 0);
        m_data.nParam1 = static_cast<int32_t>(p.state);
        if (!WriteReport(p.sReport))
            return CommResult::BadBlock;
        reply = true;
        break;
    }
    case CommCommand::AnswerAtPc:
    case CommCommand::TalkAtPc: {
        const TalkRequest r = m_data.nCommand == static_cast<int32_t>(CommCommand::AnswerAtPc)
                                  ? TalkRequest::Answer
                              : m_data.nParam1 != 0 ? TalkRequest::Take
                                                    : TalkRequest::End;
        m_data.nParam2 = static_cast<int32_t>(control.Talk(r));
        reply = true;
        break;
    }
    case CommCommand::PutOnList: {
        const ContactList list = m_data.nParam1 == 2   ? ContactList::Block
                                 : m_data.nParam1 == 1 ? ContactList::Permit
                                                       : ContactList::None;
        const ScreeningReply r = control.PutOnList(m_data.sNumber, list);
        m_data.nParam2 = r.bDone ? 1 : 0;
        m_data.sText = r.sText;
        reply = true;
        break;
    }
    case CommCommand::ScreeningSwitch:
        m_data.sText.clear();
        if (m_data.nParam1 == 1 || m_data.nParam1 == 2)
            m_data.sText = control.PauseScreening(m_data.nParam1 == 2).sText;
        m_data.nParam2 = control.IsScreeningOn() ? 1 : 0;
        reply = true;
        break;
    case CommCommand::DialAndSpeak: {
        control.Dial(m_data.sNumber, true);
        if (unsigned seconds = ParseSpeakSeconds(m_data.sText))
            control.StartSpeakTimer(seconds * 1000u);
        break;
    }
    default:
        return CommResult::UnknownCode;
    }
    if (reply && !CopyOut())
        return CommResult::BadBlock;
    return CommResult::Done;
}
