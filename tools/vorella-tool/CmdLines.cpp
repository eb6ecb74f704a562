#include "Commands.h"

#include "app/TelephonyProvider.h"
#include "platform/Strings.h"
#include "tapi/MyLine.h"
#include "tapi/SimulatedTapi.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

// How long a line is given to register before its state is printed.
constexpr auto kSettleLimit = std::chrono::seconds(15);
constexpr auto kSettlePoll = std::chrono::milliseconds(50);

// The open line's state once its provider has found it out (a registration
// answered), or when the limit runs out: "ready", "ready\tregistered with
// ...", "unavailable\tLine unavailable: ...".
std::string SettledState(CMyLine& line) {
    const auto until = std::chrono::steady_clock::now() + kSettleLimit;
    TapiLineStatus status = line.LineStatus();
    while (status.bPending && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(kSettlePoll);
        status = line.LineStatus();
    }
    if (!status.bInService)
        return "unavailable\t" + LineUnavailableText(status);
    return status.sText.empty() ? "ready" : "ready\t" + status.sText;
}

} // namespace

// Lists the telephony lines that carry voice or modem data, with whether
// each can be opened now (a line another program has open, such as the
// SIP line of a running vorellad, cannot) and, for a line that registers,
// how its registration went. The provider is the programs'
// own (the SIP accounts of the settings, or what VORELLA_TAPI names);
// --simulated shows the simulated provider's line.
int CmdLines(const Args& args) {
    const bool bSimulated = args.size() == 1 && args[0] == "--simulated";
    if (!args.empty() && !bSimulated) {
        std::fprintf(stderr, "usage: vorella-tool lines [--simulated]\n");
        return 2;
    }
    std::unique_ptr<ITapiProvider> provider;
    CTapiProviders providers;
    if (bSimulated) {
        provider = std::make_unique<CSimulatedTapi>();
    } else {
        InstallTelephonyProvider(
            providers, [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); },
            true);
        provider = providers.Make();
    }
    if (!provider) {
        std::fprintf(stderr, "%s\n", LoadStr(57974));
        return 1;
    }
    CMyTapi tapi(*provider, {});
    if (!tapi.Start()) {
        std::fprintf(stderr, "%s\n", tapi.StatusText().c_str());
        return 1;
    }
    std::string message;
    const auto lines = tapi.ListLines(&message);
    if (lines.empty()) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    for (const auto& line : lines) {
        const bool bOpens = tapi.OpenLine(line.dwDeviceID);
        const std::string state =
            bOpens && tapi.Line() ? SettledState(*tapi.Line()) : "cannot be opened";
        tapi.CloseLine();
        std::printf("%u\t%s\t%s\n", line.dwDeviceID, line.sName.c_str(), state.c_str());
    }
    return 0;
}
