#include "engine/CallerIdDisplay.h"

#include "engine/UiBridge.h"
#include "platform/TextUtil.h"

void FinishCallerId(CNumber& call, bool bFilterCalls, IUiBridge& ui) {
    ApplyNoNumberRule(call);
    // The filter matches the list's stored numbers, so it takes the number
    // before the display layout adds its hyphens.
    if (bFilterCalls)
        ui.SetCallListFilter(CallListFilterFor(call.m_sDisplayNumber));
    ui.SetTrayTooltip(call.m_sNumber);
    FormatCallDisplayNumber(call);
    ui.CallerChanged({call.m_sName, call.m_sDisplayNumber, call.m_sMemo});
}

std::string CallWindowTitle(const CNumber& call) {
    return CallWindowTitle(call.m_sName, call.m_sDisplayNumber);
}

std::string CallWindowTitle(const std::string& sName, const std::string& sNumber) {
    return StrPrintf("%s - [%s] - Vorella", sName.c_str(), sNumber.c_str());
}
