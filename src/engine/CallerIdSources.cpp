#include "engine/CallerIdSources.h"

#include "engine/CallState.h"
#include "engine/CallerIdDisplay.h"
#include "engine/CallerText.h"
#include "engine/Etsi.h"
#include "engine/UiBridge.h"

CModemCallerIdSource::CModemCallerIdSource(ICallerIdChannel& channel, CidReadSettings settings,
                                           std::function<void()> onRing)
    : m_channel(channel), m_settings(std::move(settings)), m_onRing(std::move(onRing)) {}

CallerIdFill CModemCallerIdSource::Fill(CNumber& call,
                                        const std::function<void(const CNumber&)>& onEarlyData) {
    int32_t nKind = call.m_nKind;
    call.Reset();
    call.m_nKind = nKind;
    CidReadOutcome o = ReadModemCallerId(m_channel, m_settings, call, {m_onRing, onEarlyData});
    return {o.bReceived, o.bCidSeen};
}

CLineCallerIdSource::CLineCallerIdSource(std::function<LineCallerData()> query)
    : m_query(std::move(query)) {}

CallerIdFill CLineCallerIdSource::Fill(CNumber& call, const std::function<void(const CNumber&)>&) {
    LineCallerData d = m_query ? m_query() : LineCallerData{};
    if (d.bPresent) {
        call.m_sCidName = call.m_sName = SanitizeCallerText(d.sName);
        call.m_sCidNumber = call.m_sDisplayNumber = call.m_sNumber = SanitizeCallerText(d.sNumber);
    } else {
        int32_t nKind = call.m_nKind;
        call.Reset();
        call.m_nKind = nKind;
    }
    return {true, false};
}

CRawCallerIdSource::CRawCallerIdSource(std::string message) : m_sMessage(std::move(message)) {}

CallerIdFill CRawCallerIdSource::Fill(CNumber& call, const std::function<void(const CNumber&)>&) {
    Etsi e;
    e.Parse(m_sMessage);
    call.m_sCidName = call.m_sName = e.m_sName;
    call.m_sCidNumber = call.m_sDisplayNumber = call.m_sNumber = e.m_sNumber;
    return {true, false};
}

CallerIdFill ReadCallerId(ICallerIdSource& source, const CallerIdContext& ctx, std::time_t now) {
    // A request already made for this call (the machine's answer at the
    // first ring, the user's record) stays: a telephony line or the adapter
    // delivers the caller's data after the ring, and clearing the code then
    // would leave the request pending as the quiet code, which never ends.
    if (ctx.clearStopRequest)
        ctx.clearStopRequest();
    ctx.state.bCidBusy = true;
    if (ctx.log)
        ctx.log("AmericanCID:\n");

    CNumber call = ctx.state.curCall.Get();
    call.m_nKind = 1;
    // The number usually arrives well before the reading ends: show it at once.
    auto early = [&](const CNumber& partial) {
        CNumber shown = partial;
        shown.m_sName = shown.m_sCidName;
        StampCallTime(shown, now);
        ApplyNoNumberRule(shown);
        FormatCallDisplayNumber(shown);
        ctx.state.curCall.Set(shown);
        ctx.state.bCidReceived = true;
        ctx.ui.CallerChanged({shown.m_sName, shown.m_sDisplayNumber, shown.m_sMemo});
    };
    if (source.ReadsAfresh())
        ctx.state.bCidReceived = false;
    CallerIdFill fill = source.Fill(call, early);

    // The stored date and time are always this computer's, whatever the source sent.
    StampCallTime(call, now);
    FinishCallerId(call, ctx.bFilterCalls, ctx.ui);
    ctx.state.curCall.Set(call);
    if (fill.bReceived)
        ctx.state.bCidReceived = true;
    return fill;
}
