#include "app/CurrentCaller.h"

#include "engine/Number.h"

CallerFields CurrentCallerFields() {
    CNumber call = g_curCall.Get();
    return {call.m_sName, call.m_sDisplayNumber.empty() ? call.m_sNumber : call.m_sDisplayNumber,
            call.m_sMemo};
}

void SetCurrentCallerFields(const CallerFields& fields) {
    g_curCall.Update([&](CNumber& call) {
        call.m_sName = fields.sName;
        call.m_sNumber = fields.sNumber;
        call.m_sDisplayNumber = fields.sNumber;
        call.m_sMemo = fields.sText;
    });
}
