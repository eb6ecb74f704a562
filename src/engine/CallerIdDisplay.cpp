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
    return StrPrintf("%s - [%s] - Vorella", call.m_sName.c_str(), call.m_sDisplayNumber.c_str());
}
