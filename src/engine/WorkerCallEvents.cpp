// The worker's call facts that take the current call's data with them.
#include "engine/MultiThread.h"

#include "engine/CallState.h"

void CMultiThread::TellCaller() {
    const CNumber c = m_state.curCall.Get();
    if (c.m_sNumber.empty() && c.m_sDisplayNumber.empty() && c.m_sName.empty())
        return;
    m_events.Publish(CallerIdentified{c.m_sNumber, c.m_sDisplayNumber, c.m_sName, c.m_sMemo});
}
