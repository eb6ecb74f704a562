// What the worker costs: CPU and wake-ups on an idle line and during a
// recording, how soon a caller's number reaches the front end, and whether
// memory stays flat over many calls. The worker runs against the simulated
// modem on a pseudo-terminal, as in the program.
//
// Each figure is reported with a reference measured in the same run: a thread
// that wakes 50 times a second (the wake-up budget of an idle line), the
// round trip of a plain AT command, and the memory after the first calls.
// Remote access: the right PIN's "#" to the first sound of the prompt after
// it, against one key's round trip (a PIN digit to the next listen).
//
// VORELLA_BENCH_IDLE_SECONDS (default 20; 300 for the full five minutes),
// VORELLA_BENCH_RECORD_SECONDS (default 10), VORELLA_BENCH_CALLS (default 40;
// 200 for the full run).
#include "BenchFolder.h"
#include "ModemSim.h"
#include "calllog/CallLog.h"
#include "audio/WaveFile.h"
#include "engine/CallState.h"
#include "engine/KeyTables.h"
#include "engine/LoggingUiBridge.h"
#include "engine/MultiThread.h"
#include "engine/Number.h"
#include "engine/Phone.h"
#include "platform/SerialPorts.h"
#include "platform/TickCount.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

double CpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

long ContextSwitches() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_nvcsw + ru.ru_nivcsw;
}

long RssKb() {
    std::ifstream f("/proc/self/statm");
    long pages = 0, rss = 0;
    f >> pages >> rss;
    return rss * (sysconf(_SC_PAGESIZE) / 1024);
}

// A front end that notes when the caller's number arrives.
class TimingBridge : public CLoggingUiBridge {
public:
    void CallerChanged(const CallerDisplay& c) override {
        if (!c.sNumber.empty() && !numberAt.load())
            numberAt = Clock::now().time_since_epoch().count();
    }
    std::atomic<Clock::rep> numberAt{0};
};

// One line: a private folder, the simulated modem, the phone and the worker;
// setup adjusts the phone's settings, the defaults then, before the worker
// starts.
struct Line {
    explicit Line(const std::function<void(Line&)>& setup = {}) {
        folder = MakeBenchFolder();
        ::setenv("VORELLA_HOME", folder.c_str(), 1);
        ::setenv("VORELLA_AUDIO", "null", 1);
        modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For("hash");
        sim = std::make_unique<modemsim::ModemSim>(o);
        if (!sim->Start() || !SetComPortDevice(kPort, sim->SlavePath()))
            std::abort();
        sim->SetVoiceFormat({8, 8000, 0});
        phone = std::make_unique<CPhone>();
        if (setup)
            phone->LoadAll(); // the defaults first, which the line's own settings then adjust
        phone->SetUi(&ui);
        CCommDriver& d = *phone->ModemDriver();
        d.Profile().Load("");
        d.Settings().nComPort = kPort;
        d.Profile().nCompression = 8;
        d.Profile().nCompressionBS = 8;
        d.Profile().nCompressionSampleRate = 8000;
        d.Settings().dwTimeoutDefault = 2500; // the shipped time-outs: an idle line
        d.Settings().dwTimeoutQuant = 15;     // wakes as the program would
        d.Settings().dwInactiveTimer = 60000;
        d.Settings().iMaxBlockWrites = 1024;
        phone->nCIDType = 2;
        phone->dwTimeToGet = 3000;
        phone->dwTimeToWait = 340;
        phone->nBlockTime = 20;
        phone->m_iVolume = 50;
        phone->dwBaudRate = 115200;
        if (setup)
            setup(*this);
        worker = std::make_unique<CMultiThread>(*phone, ui, callLog);
        worker->SetSaveOnExit(false);
        worker->Start();
        worker->SignalStart();
        while (!phone->ModemDriver()->m_bInitialized)
            SleepMs(10);
    }
    ~Line() {
        worker.reset();
        phone.reset();
        sim.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    // The phone's call state, as the worker writes it.
    CCallStateData& State() { return phone->CallState().EngineState(); }
    // Forgets the rings of the last call without waiting 8 s for them to end.
    void EndCall() {
        State().bHangUpRequest = true;
        worker->Wake();
        while (State().bHangUpRequest)
            SleepMs(5);
        // Off-hook within 8 s of a ring: the line check forgets the rings.
        State().bOffHook = true;
        worker->Wake();
        while (worker->RingCount() != 0)
            SleepMs(5);
        State().bOffHook = false;
    }

    static constexpr int kPort = 9;
    std::string folder;
    TimingBridge ui;
    std::unique_ptr<modemsim::ModemSim> sim;
    CCallLog callLog;
    std::unique_ptr<CPhone> phone;
    std::unique_ptr<CMultiThread> worker;
};

// The reference: a thread that wakes 50 times a second, doing nothing.
void BM_Reference50HzSleeper(benchmark::State& state) {
    const int seconds = std::max(1, EnvInt("VORELLA_BENCH_IDLE_SECONDS", 20) / 4);
    for (auto _ : state) {
        double cpu0 = CpuSeconds();
        long cs0 = ContextSwitches();
        auto until = Clock::now() + std::chrono::seconds(seconds);
        while (Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        state.counters["cpu_pct"] = 100 * (CpuSeconds() - cpu0) / seconds;
        state.counters["wakeups_per_s"] = double(ContextSwitches() - cs0) / seconds;
    }
}
BENCHMARK(BM_Reference50HzSleeper)->Iterations(1)->Unit(benchmark::kSecond);

void BM_IdleLine(benchmark::State& state) {
    Line line;
    const int seconds = EnvInt("VORELLA_BENCH_IDLE_SECONDS", 20);
    for (auto _ : state) {
        double cpu0 = CpuSeconds();
        long cs0 = ContextSwitches();
        SleepMs(uint32_t(seconds) * 1000);
        double cpu = CpuSeconds() - cpu0;
        state.counters["cpu_pct"] = 100 * cpu / seconds;
        state.counters["wakeups_per_s"] = double(ContextSwitches() - cs0) / seconds;
        state.counters["wakeups_vs_50Hz"] = double(ContextSwitches() - cs0) / seconds / 50;
    }
}
BENCHMARK(BM_IdleLine)->Iterations(1)->Unit(benchmark::kSecond);

void BM_Recording(benchmark::State& state) {
    Line line;
    const int seconds = EnvInt("VORELLA_BENCH_RECORD_SECONDS", 10);
    line.sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, (seconds + 5) * 1000, 8000));
    for (auto _ : state) {
        line.phone->CallState().RequestAction(kActionRecord);
        line.worker->Wake();
        line.sim->WaitForCommand("VRX", 30000);
        SleepMs(500);
        double cpu0 = CpuSeconds();
        SleepMs(uint32_t(seconds) * 1000);
        double cpu = CpuSeconds() - cpu0;
        // The simulator streams the sound in this process too; its share
        // is in the figure, so the worker's own is lower still.
        state.counters["cpu_pct_with_sim"] = 100 * cpu / seconds;
        line.phone->ModemDriver()->SetStopRequest(true);
        line.State().bRecording = false;
        while (line.State().bActionPending)
            SleepMs(10);
    }
}
BENCHMARK(BM_Recording)->Iterations(1)->Unit(benchmark::kSecond);

void BM_NumberToFrontEnd(benchmark::State& state) {
    Line line;
    // The reference: one AT command's round trip on the same line, measured
    // while the worker is paused.
    line.State().bPaused = true;
    line.worker->Wake();
    while (line.phone->ModemDriver()->IsOpen())
        SleepMs(5);
    CCommDriver probe;
    probe.Profile().Load("");
    probe.Open(Line::kPort, 115200);
    auto r0 = Clock::now();
    const int kProbes = 20;
    for (int i = 0; i < kProbes; ++i)
        probe.CommOut("E0", 1);
    double refMs = std::chrono::duration<double, std::milli>(Clock::now() - r0).count() / kProbes;
    probe.Close(false);
    line.State().bPaused = false;
    while (!line.phone->ModemDriver()->m_bInitialized || !line.phone->ModemDriver()->IsOpen())
        SleepMs(5);
    SleepMs(300);

    double total = 0;
    int n = 0;
    for (auto _ : state) {
        line.ui.numberAt = 0;
        line.sim->SetCallerId({"0321", "1405", "5551234", "JOHN DOE", ""},
                              modemsim::CallerIdForm::Formatted);
        auto t0 = Clock::now();
        line.sim->Ring(1, modemsim::RingCadence{6000, 0});
        while (!line.ui.numberAt.load())
            SleepMs(1);
        double ms = std::chrono::duration<double, std::milli>(
                        Clock::duration(line.ui.numberAt.load()) - t0.time_since_epoch())
                        .count();
        state.SetIterationTime(ms / 1000);
        total += ms;
        ++n;
        line.EndCall();
    }
    state.counters["ms"] = total / n;
    state.counters["at_roundtrip_ms"] = refMs;
    state.counters["vs_at_roundtrip"] = total / n / refMs;
}
BENCHMARK(BM_NumberToFrontEnd)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "bench failed: %s\n", what);
    std::abort();
}

// A second of a tone as a WAV file in the line's folder; its name as the
// settings take it.
std::string ToneFile(const Line& line, const std::string& name, double hz, int ms) {
    std::vector<int16_t> s(static_cast<size_t>(8 * ms));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * hz * double(i) / 8000));
    const std::string path = line.folder + "/" + name;
    CWaveFile f;
    if (!f.Create(path, PcmFormat(8000)) || !f.WriteSamples(s.data(), s.size()) || !f.CloseWrite())
        std::abort();
    return path;
}

void BM_PinToFirstPrompt(benchmark::State& state) {
    // Arg 0: the prompt after the PIN is a file; 1: it is spoken (no
    // sWaveRemoteGlobal, so "You have no new messages" comes first).
    const bool bSpoken = state.range(0) != 0;
    const auto setup = [bSpoken](Line& l) {
        CPhone& p = *l.phone;
        p.nAction = 1; // the machine answers
        p.nRings = 2;
        p.sWaveGreet = ToneFile(l, "greet.wav", 600, 10000);
        p.sPin = "0815";
        p.DriverSettings().m_dtmf[kDtmfStar] = kActionRemoteAccess;
        p.bPinInstruct = false;
        p.sPinRequest = ToneFile(l, "pin.wav", 400, 200);
        p.sWaveRemoteGlobal = bSpoken ? "" : ToneFile(l, "menu.wav", 500, 200);
    };
    double total = 0, keyTotal = 0;
    int n = 0, keys = 0;
    for (auto _ : state) {
        Line line(setup); // a line of its own: the simulator's waits count from its start
        // Sends key into the listen the worker starts next; when it was sent.
        auto press = [&](char key) {
            if (!line.sim->WaitForCommand("VRX", 30000))
                Fail("no listen for a key");
            const Clock::time_point t = Clock::now();
            line.sim->InjectEvent(key, 0);
            return t;
        };
        line.sim->InjectEvent('*', 300);
        line.sim->Ring(3, modemsim::RingCadence{400, 60});
        for (int i = 0; i < 2; ++i) // the greeting, cut short; the PIN request
            if (!line.sim->WaitForTransmitEnd(30000))
                Fail("no greeting or PIN request");
        // Each digit's round trip: sent, taken, and the line listened to again.
        Clock::time_point sent = press('0');
        for (char key : std::string("815#")) {
            const Clock::time_point next = press(key);
            keyTotal += std::chrono::duration<double, std::milli>(next - sent).count();
            ++keys;
            sent = next;
        }
        line.sim->ClearTransmitted();
        while (line.sim->TransmittedSamples().empty())
            SleepMs(1);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
        state.SetIterationTime(ms / 1000);
        total += ms;
        ++n;
    }
    state.counters["ms"] = total / n;
    state.counters["key_roundtrip_ms"] = keyTotal / keys;
    state.counters["vs_key_roundtrip"] = (total / n) / (keyTotal / keys);
}
BENCHMARK(BM_PinToFirstPrompt)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

void BM_MemoryOverCalls(benchmark::State& state) {
    Line line;
    const int calls = EnvInt("VORELLA_BENCH_CALLS", 40);
    for (auto _ : state) {
        long after10 = 0;
        for (int i = 1; i <= calls; ++i) {
            line.sim->SetCallerId({"0321", "1405", "5551234", "JOHN DOE", ""},
                                  modemsim::CallerIdForm::Formatted);
            line.sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 200, 8000));
            line.sim->FarEndHangsUp(200, 'b');
            line.ui.numberAt = 0;
            line.sim->Ring(1, modemsim::RingCadence{6000, 0});
            while (!line.ui.numberAt.load())
                SleepMs(1);
            line.phone->CallState().RequestAction(kActionRecord);
            line.worker->Wake();
            while (line.State().bActionPending || line.worker->CurrentFile().empty())
                SleepMs(5);
            line.EndCall();
            if (i == 10)
                after10 = RssKb();
        }
        state.counters["rss_kb_after_10"] = double(after10);
        state.counters["rss_kb_after_all"] = double(RssKb());
        state.counters["calls"] = calls;
        state.counters["growth_ratio"] = double(RssKb()) / double(after10);
    }
}
BENCHMARK(BM_MemoryOverCalls)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
