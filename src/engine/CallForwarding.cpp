#include "engine/CallForwarding.h"

#include "engine/CallEvents.h"
#include "engine/CallState.h"
#include "engine/Phone.h"
#include "platform/TextUtil.h"

const ForwardMethodEntry& ForwardMethodOf(int nFwdMethod) {
    for (const ForwardMethodEntry& e : kForwardMethods)
        if (static_cast<int>(e.method) == nFwdMethod)
            return e;
    return kForwardMethods[0];
}

std::string ForwardProblem(const std::string& sTarget, const std::string& sWhy) {
    return "not forwarded" + (sTarget.empty() ? "" : " to " + sTarget) + ": " + sWhy;
}

bool ForwardCallAt(ForwardMethod moment, CPhone& phone, const CCallStateData& state,
                   CCallEventPublisher& events) {
    const ForwardMethodEntry& method = ForwardMethodOf(phone.nFwdMethod);
    // A shared analogue line cannot send a call on.
    if (method.method != moment || moment == ForwardMethod::Off ||
        phone.Device().Kind() != DeviceKind::TelephonyLine)
        return false;
    if (state.curCall.Get().m_bBlocked && !phone.bFwdBlack)
        return false;
    const std::string target(Trim(phone.sFwdPhone));
    std::string why;
    if (target.empty())
        why = "no number to forward to is set";
    else if (phone.Device().ForwardCall(target, method.bAnswered, &why)) {
        phone.Trace("Forwarded (" + std::string(method.sName) + ") to " + target + "\n");
        events.Publish(CallForwarded{target, method.bAnswered, "", ""});
        return true;
    }
    const std::string problem = ForwardProblem(target, why);
    const std::string text = "call " + problem + "; it goes on as without forwarding";
    phone.Trace(text + "\n");
    phone.SetStatusText(text);
    events.Publish(CallForwarded{target, method.bAnswered, "", problem});
    return false;
}
