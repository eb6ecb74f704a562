// What the SIP provider's two halves share: the stack's event listener
// (SipProvider.cpp follows the lines and their calls, SipProviderRequests.cpp
// answers the telephony layer's requests) and a few small helpers.
#pragma once

#include "sip/SipProvider.h"

#include <linphone++/linphone.hh>

#include <cstdio>
#include <memory>
#include <string>

namespace sipprovider {

inline bool IsDtmfKey(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || (c >= 'A' && c <= 'D');
}

inline bool CallIsLive(const std::shared_ptr<linphone::Call>& call) {
    if (!call)
        return false;
    const auto s = call->getState();
    return s != linphone::Call::State::End && s != linphone::Call::State::Released &&
           s != linphone::Call::State::Error;
}

// "SIP: the line NAME: what happened", the provider's word in the log.
inline void LogLine(const SipAccount& account, const std::string& text) {
    std::fprintf(stderr, "SIP: the line %s: %s\n", account.LineName().c_str(), text.c_str());
}

} // namespace sipprovider

// Passes the stack's events (always inside Core::iterate() or a call into
// the stack, so with the provider's lock already held) to the provider.
class CSipProvider::Listener : public linphone::CoreListener {
public:
    Listener(CSipProvider& provider, uint32_t dwDevice)
        : m_provider(provider), m_dwDevice(dwDevice) {}

    void onCallStateChanged(const std::shared_ptr<linphone::Core>&,
                            const std::shared_ptr<linphone::Call>& call,
                            linphone::Call::State state, const std::string&) override {
        m_provider.OnCallState(m_dwDevice, call, static_cast<int>(state));
    }
    void onDtmfReceived(const std::shared_ptr<linphone::Core>&,
                        const std::shared_ptr<linphone::Call>& call, int dtmf) override {
        m_provider.OnDtmf(call, dtmf);
    }
    void onTransferStateChanged(const std::shared_ptr<linphone::Core>&,
                                const std::shared_ptr<linphone::Call>& call,
                                linphone::Call::State state) override {
        m_provider.OnTransferState(call, static_cast<int>(state));
    }
    void onAccountRegistrationStateChanged(const std::shared_ptr<linphone::Core>&,
                                           const std::shared_ptr<linphone::Account>& account,
                                           linphone::RegistrationState state,
                                           const std::string& message) override {
        m_provider.OnRegistration(m_dwDevice, account, static_cast<int>(state), message);
    }

private:
    CSipProvider& m_provider;
    const uint32_t m_dwDevice;
};
