#include "sip/SipCore.h"

#include "sip/SipSoundCard.h"

#include "platform/FileUtil.h"
#include "platform/TextUtil.h"

#include <linphone++/linphone.hh>

#include <cerrno>
#include <cstring>

namespace {

// An unanswered call is given up by the stack only after this long; the
// answering machine decides much earlier when to take it.
constexpr int kIncomingTimeoutSeconds = 300;

} // namespace

std::shared_ptr<linphone::Core> MakeSipCore(const SipAccount& a, const std::string& state,
                                            CQueueSoundBackend& sound, int nSoundDevice,
                                            std::string* pWhy, CSipLineSignals* pSignals) {
    auto factory = linphone::Factory::get();
    // The stack loads every media plugin of its plugin folder at start-up,
    // video ones among them that pull another toolkit into the process; a
    // folder of our own, left empty, keeps them out.
    const std::string plugins = state + "/plugins";
    if (!MakeDirectories(plugins, 0700)) {
        *pWhy = "cannot make the folder " + plugins + ": " + std::strerror(errno);
        return nullptr;
    }
    factory->setMspluginsDir(plugins);
    // The library puts its file names straight after these: without the
    // slash its databases would land beside the folder, not in it.
    factory->setDataDir(state + "/");
    factory->setConfigDir(state + "/");
    auto core = factory->createCore("", "", nullptr);
    if (!core) {
        *pWhy = "the SIP stack did not start (its state folder is " + state + ")";
        return nullptr;
    }
    auto config = core->getConfig();
    if (!a.sBindAddress.empty()) {
        config->setString("sip", "bind_address", a.sBindAddress);
        // The call's sound (RTP and RTCP) too, not every interface.
        config->setString("rtp", "bind_address", a.sBindAddress);
        // An IPv4 address to listen on: no IPv6 socket on every interface
        // beside it.
        if (a.sBindAddress.find(':') == std::string::npos)
            core->enableIpv6(false);
    }
    // No database files: the call list is the program's own.
    config->setInt("misc", "store_friends", 0);
    core->setCallLogsDatabasePath("");
    core->enableAutoIterate(false);
    core->setUserAgent("Vorella", "1");
    core->enableVideoCapture(false);
    core->enableVideoDisplay(false);
    core->setRing("");
    core->setRingback("");
    core->setIncTimeout(kIncomingTimeoutSeconds);
    core->setUseRfc2833ForDtmf(true);
    core->setUseInfoForDtmf(false);
    // The line's sound as it is: nothing between the program and the far
    // end that changes it.
    core->enableEchoCancellation(false);
    core->enableEchoLimiter(false);
    if (UseSipSoundCard(*core, sound, nSoundDevice, pWhy, pSignals).empty())
        return nullptr;
    core->setAudioPort(-1);
    // A telephone line's sound: G.711 at 8000 Hz, nothing else offered.
    for (const auto& pt : core->getAudioPayloadTypes()) {
        const std::string mime = ToUpperAscii(pt->getMimeType());
        pt->enable(mime == "PCMU" || mime == "PCMA");
    }
    auto transports = factory->createTransports();
    const int port = a.nPort == 0 ? -1 : a.nPort; // -1: any free port
    transports->setUdpPort(a.transport == SipTransport::Udp ? port : 0);
    transports->setTcpPort(a.transport == SipTransport::Tcp ? port : 0);
    transports->setTlsPort(a.transport == SipTransport::Tls ? port : 0);
    core->setTransports(transports);
    // Whom the line trusts over TLS: the system's authorities unless the
    // account names its own. The line does not listen for TLS callers:
    // the stack offers no way to give it a server certificate.
    if (a.transport == SipTransport::Tls && !a.sTlsCaFile.empty())
        core->setRootCa(a.sTlsCaFile);
    if (a.sRegistrar.empty()) {
        // No account to speak for the line: its calls come from its own
        // user here, not from the stack's default name.
        core->setPrimaryContact("sip:" + a.sUser + "@" +
                                (a.sBindAddress.empty() ? "localhost" : a.sBindAddress));
    } else {
        auto params = core->createAccountParams();
        auto identity = factory->createAddress("sip:" + a.sUser + "@" + a.sRegistrar);
        auto server = factory->createAddress("sip:" + a.sRegistrar);
        if (!identity || !server) {
            *pWhy = "the account has no valid address (user \"" + a.sUser + "\", registrar \"" +
                    a.sRegistrar + "\")";
            return nullptr;
        }
        server->setTransport(a.transport == SipTransport::Tcp   ? linphone::TransportType::Tcp
                             : a.transport == SipTransport::Tls ? linphone::TransportType::Tls
                                                                : linphone::TransportType::Udp);
        params->setIdentityAddress(identity);
        params->setServerAddress(server);
        params->enableRegister(true);
        auto account = core->createAccount(params);
        core->addAccount(account);
        core->setDefaultAccount(account);
        core->addAuthInfo(factory->createAuthInfo(a.sUser, "", a.sPassword, "", "", a.sRegistrar));
    }
    return core;
}
