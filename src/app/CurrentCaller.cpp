#include "app/CurrentCaller.h"

#include "engine/Number.h"

CallerFields CurrentCallerFields(const CCallState& state) {
    CNumber call = state.CurrentCall();
    return {call.m_sName, call.Shown(), call.m_sMemo};
}

std::string StoredCallerNumber(const CCallState& state, const std::string& sShown) {
    const CNumber call = state.CurrentCall();
    return sShown == call.Shown() ? call.m_sNumber : sShown;
}

void SetCurrentCallerFields(CCallState& state, const CallerFields& fields) {
    state.RequestCallerEdit(fields.sName, fields.sNumber, fields.sText);
}
