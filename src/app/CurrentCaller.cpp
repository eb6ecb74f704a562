#include "app/CurrentCaller.h"

CallerFields CurrentCallerFields(const CCallState& state) {
    CNumber call = state.CurrentCall();
    return {call.m_sName, call.m_sDisplayNumber.empty() ? call.m_sNumber : call.m_sDisplayNumber,
            call.m_sMemo};
}

void SetCurrentCallerFields(CCallState& state, const CallerFields& fields) {
    state.RequestCallerEdit(fields.sName, fields.sNumber, fields.sText);
}
