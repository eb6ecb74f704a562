#include "app/CurrentCaller.h"

#include "engine/Number.h"

namespace {

const std::string& ShownNumber(const CNumber& call) {
    return call.m_sDisplayNumber.empty() ? call.m_sNumber : call.m_sDisplayNumber;
}

} // namespace

CallerFields CurrentCallerFields() {
    CNumber call = g_curCall.Get();
    return {call.m_sName, ShownNumber(call), call.m_sMemo};
}

std::string StoredCallerNumber(const std::string& sShown) {
    const CNumber call = g_curCall.Get();
    return sShown == ShownNumber(call) ? call.m_sNumber : sShown;
}

void SetCurrentCallerFields(const CallerFields& fields) {
    g_curCall.Update([&](CNumber& call) {
        call.m_sName = fields.sName;
        if (fields.sNumber != ShownNumber(call)) {
            call.m_sNumber = fields.sNumber;
            call.m_sDisplayNumber = fields.sNumber;
        }
        call.m_sMemo = fields.sText;
    });
}
