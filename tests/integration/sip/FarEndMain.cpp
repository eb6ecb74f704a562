// The far end of a test call: a SIP phone of its own (a liblinphone core on
// 127.0.0.1, any free port) in a process of its own, so that its SIP stack
// shares nothing with the line's: the library keeps process-wide caches
// that are not safe for two stacks on two threads. It calls with a chosen
// From and extra headers, plays one sound file, records what it hears, and
// hangs up.
//
// Usage: sip_far_end FOLDER PLAY-FILE RECORD-FILE
// It says "ready PORT", then answers each line of its standard input with
// one line:
//   call TO FROM [NAME VALUE]...   (tab-separated) -> ok | failed
//   answer                         (a call to it; waits up to 30 s) -> yes | no
//   connected | ended              (waits up to 30 s) -> yes | no
//   busy | declined                (once ended: declined busy, or declined?) -> yes | no
//   hangup | keys KEYS             -> ok
// At the end of its input it hangs up and leaves, its recording complete.
#include <linphone++/linphone.hh>

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class Listener : public linphone::CoreListener {
public:
    void onCallStateChanged(const std::shared_ptr<linphone::Core>&,
                            const std::shared_ptr<linphone::Call>& call,
                            linphone::Call::State state, const std::string&) override {
        using S = linphone::Call::State;
        if (state == S::IncomingReceived)
            incoming = call;
        bConnected = bConnected || state == S::StreamsRunning;
        const bool bEnd = state == S::End || state == S::Error || state == S::Released;
        bEnded = bEnded || bEnd;
        bBusy = bBusy || (bEnd && call->getReason() == linphone::Reason::Busy);
        bDeclined = bDeclined || (bEnd && call->getReason() == linphone::Reason::Declined);
    }
    std::shared_ptr<linphone::Call> incoming;
    bool bConnected = false;
    bool bEnded = false;
    bool bBusy = false;
    bool bDeclined = false;
};

std::shared_ptr<linphone::Core> MakeCore(const std::string& folder, const std::string& play,
                                         const std::string& record) {
    auto factory = linphone::Factory::get();
    std::filesystem::create_directories(folder + "/plugins");
    factory->setMspluginsDir(folder + "/plugins");
    factory->setDataDir(folder + "/"); // its files inside the folder
    factory->setConfigDir(folder + "/");
    auto core = factory->createCore("", "", nullptr);
    core->getConfig()->setString("sip", "bind_address", "127.0.0.1");
    core->getConfig()->setString("rtp", "bind_address", "127.0.0.1");
    core->enableIpv6(false);
    core->enableAutoIterate(false);
    core->enableVideoCapture(false);
    core->enableVideoDisplay(false);
    core->setRing("");
    core->setRingback("");
    core->setUseFiles(true);
    core->setPlayFile(play);
    core->setRecordFile(record);
    core->setAudioPort(-1);
    core->setUseRfc2833ForDtmf(true);
    for (const auto& pt : core->getAudioPayloadTypes())
        pt->enable(pt->getMimeType() == "PCMU");
    auto transports = factory->createTransports();
    transports->setUdpPort(-1);
    transports->setTcpPort(-1);
    transports->setTlsPort(0);
    core->setTransports(transports);
    return core;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, '\t');)
        fields.push_back(f);
    return fields;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: sip_far_end FOLDER PLAY-FILE RECORD-FILE\n";
        return 2;
    }
    // The library logs to standard output: the answers get a descriptor of
    // their own, and everything else goes to standard error.
    FILE* answers = ::fdopen(::dup(STDOUT_FILENO), "w");
    if (answers == nullptr || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 1;
    auto core = MakeCore(argv[1], argv[2], argv[3]);
    auto listener = std::make_shared<Listener>();
    core->addListener(listener);
    core->start();
    std::shared_ptr<linphone::Call> call;
    // Lets the stack run until done() or 30 s have passed.
    const auto runUntil = [&](const std::function<bool()>& done) {
        for (const auto end = Clock::now() + std::chrono::seconds(30); !done();) {
            if (Clock::now() > end)
                return false;
            core->iterate();
            ::usleep(10000);
        }
        return true;
    };
    const auto answer = [&](const std::vector<std::string>& f) -> std::string {
        if (f[0] == "call" && f.size() >= 3 && f.size() % 2 == 1) {
            core->setPrimaryContact(f[2]);
            auto params = core->createCallParams(nullptr);
            params->enableVideo(false);
            for (size_t i = 3; i + 1 < f.size(); i += 2)
                params->addCustomHeader(f[i], f[i + 1]);
            call = core->inviteWithParams(f[1], params);
            return call ? "ok" : "failed";
        }
        if (f[0] == "answer") {
            if (!runUntil([&] { return listener->incoming != nullptr; }))
                return "no";
            call = listener->incoming;
            call->accept();
            return runUntil([&] { return listener->bConnected; }) ? "yes" : "no";
        }
        if (f[0] == "busy" || f[0] == "declined") {
            const bool bEnded = runUntil([&] { return listener->bEnded; });
            const bool bAs = f[0] == "busy" ? listener->bBusy : listener->bDeclined;
            return bEnded && bAs ? "yes" : "no";
        }
        if (f[0] == "connected" || f[0] == "ended")
            return runUntil(
                       [&] { return f[0] == "ended" ? listener->bEnded : listener->bConnected; })
                       ? "yes"
                       : "no";
        if (f[0] == "hangup" && call)
            call->terminate();
        else if (f[0] == "keys" && f.size() == 2 && call)
            call->sendDtmfs(f[1]);
        return f[0] == "hangup" || f[0] == "keys" ? "ok" : "unknown";
    };
    std::fprintf(answers, "ready %d\n", core->getTransportsUsed()->getUdpPort());
    std::fflush(answers);
    // The stack runs between the commands, which come whole lines at a time.
    std::string input;
    for (bool bOpen = true; bOpen;) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, 1, 10) > 0) {
            char buf[4096];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            bOpen = n > 0;
            input.append(buf, n > 0 ? static_cast<size_t>(n) : 0);
        }
        for (size_t end; (end = input.find('\n')) != std::string::npos; input.erase(0, end + 1)) {
            std::fprintf(answers, "%s\n", answer(Fields(input.substr(0, end))).c_str());
            std::fflush(answers);
        }
        core->iterate();
    }
    if (call && !listener->bEnded)
        call->terminate();
    runUntil([&] { return !call || listener->bEnded; });
    call.reset();
    core->terminateAllCalls();
    core->removeListener(listener);
    core->stop();
    return 0;
}
