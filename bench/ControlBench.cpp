// One external-control command end to end (block written, "call" sent over
// the control socket, command dispatched, reply read back), against the
// plainest round trip two processes can make: a line echoed over a socket
// pair. The ratio says what the protocol costs on top of the bare IPC.
#include "BenchFolder.h"
#include "app/ControlService.h"
#include "platform/ControlSocket.h"
#include "platform/RuntimeFolder.h"
#include "platform/SingleInstance.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class QuietControl : public IExternalControl {
public:
    bool IsMonitoring() override { return true; }
    void SetMonitoring(bool) override {}
    bool IsCallActive() override { return false; }
    void StartRecording() override {}
    void StopCall() override {}
    CallerFields GetCallerFields() override { return {"Ann", "5550100", "memo"}; }
    void SetCallerFields(const CallerFields&) override {}
    std::string GetCurrentFile() override { return "/calls/rec.wav"; }
    void PlayFile(const std::string&) override {}
    void StopRecording() override {}
    void SetCurrentFile(const std::string&) override {}
    void Exit() override {}
    void Dial(const std::string&, bool) override {}
    void StartSpeakTimer(unsigned) override {}
    void ShowMainWindow() override {}
    void Quit() override {}
};

// Mean seconds of one line echoed over a socket pair by another thread.
double SocketPairRoundTrip(int rounds) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        return 0;
    std::thread echo([fd = fds[1]] {
        char buf[64];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0)
            if (::write(fd, buf, static_cast<size_t>(n)) != n)
                break;
    });
    char buf[64];
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        if (::write(fds[0], "call\n", 5) != 5 || ::read(fds[0], buf, sizeof buf) <= 0)
            break;
    }
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    ::shutdown(fds[0], SHUT_RDWR);
    echo.join();
    ::close(fds[0]);
    ::close(fds[1]);
    return spent.count() / rounds;
}

void BM_ExternalControlRoundTrip(benchmark::State& state) {
    const std::string home = MakeBenchFolder();
    ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    QuietControl control;
    CControlService service(control);
    std::string error;
    if (service.Start(&error) != CControlService::StartResult::Serving) {
        state.SkipWithError(error.c_str());
        return;
    }
    service.CommDll().Enable();
    std::atomic<bool> stop{false};
    std::thread loop([&] {
        while (!stop)
            service.Process(5);
    });

    std::string folder = GetRuntimeFolder(&error);
    SharedMemoryBlock block;
    block.Open(ControlBlockName(folder), CommBlock::kSize,
               SharedMemoryBlock::OpenMode::OpenExisting, &error);
    const std::string socket = ControlSocketPath(folder);
    std::vector<uint8_t> raw(CommBlock::kUsedSize);
    CommBlockData request;
    request.nCommand = static_cast<int32_t>(CommCommand::GetCaller);

    const double reference = SocketPairRoundTrip(2000);
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        EncodeCommBlock(request, raw.data());
        block.WriteAt(0, raw.data(), raw.size());
        ControlReply r = SendControlRequest(socket, kRequestCall, 10000);
        block.ReadAt(0, raw.data(), raw.size());
        benchmark::DoNotOptimize(DecodeCommBlock(raw.data()));
        if (r.status != ControlStatus::Ok)
            state.SkipWithError("no reply");
    }
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    stop = true;
    loop.join();
    service.Stop();
    std::filesystem::remove_all(home);
    const double perCall = spent.count() / static_cast<double>(state.iterations());
    state.counters["socketpair_us"] = reference * 1e6;
    state.counters["x_socketpair"] = reference > 0 ? perCall / reference : 0;
}
BENCHMARK(BM_ExternalControlRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
