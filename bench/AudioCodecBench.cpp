// Encode and decode speed of every voice codec, as multiples of real time at
// 8000 samples/s, next to the independent implementations on the same data
// (spandsp for G.711, G.726 and IMA ADPCM; libgsm's own frame loop for GSM;
// mgetty's voice tools for the modems' own ids 4, 5 and 41, which exist only
// as programs and are timed as whole processes, file to file, next to
// vorella-tool doing the same). After the runs a table gives each codec's
// speed and its ratio to the reference measured in the same run.
#include "BenchFolder.h"

#include "audio/Cacm.h"
#include "audio/VoiceCodec.h"
#include "audio/WaveFile.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <gsm.h>
#include <spandsp.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr size_t kSamples = 8000 * 10; // ten seconds of sound per iteration
constexpr size_t kBlock = 1600;        // the engine's blocks are of this order

// Speech-like test signal: a few tones with a slow envelope and some noise.
const std::vector<int16_t>& Signal() {
    static const std::vector<int16_t> s = [] {
        std::vector<int16_t> v(kSamples);
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0, 300);
        for (size_t i = 0; i < v.size(); ++i) {
            double env = 0.5 + 0.5 * std::sin(i * 2 * M_PI / 4000);
            double x = env * (6000 * std::sin(i * 0.23) + 3000 * std::sin(i * 0.61)) + noise(rng);
            v[i] = static_cast<int16_t>(std::lround(std::clamp(x, -32768.0, 32767.0)));
        }
        return v;
    }();
    return s;
}

VoiceCodecSettings Settings(int id, int bits) {
    VoiceCodecSettings s;
    s.nCompression = id;
    s.nCompressionBS = bits;
    s.nCompressionSampleRate = 8000;
    s.bSoftAGC = false;
    return s;
}

void SetRealTime(benchmark::State& state) {
    state.counters["x_realtime"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kSamples / 8000.0, benchmark::Counter::kIsRate);
}

void BM_Encode(benchmark::State& state, int id, int bits) {
    const std::vector<int16_t>& in = Signal();
    std::vector<uint8_t> out(kSamples * 2 + 64);
    for (auto _ : state) {
        CVoiceCodec codec;
        OpenVoiceCodec(codec, id, Settings(id, bits));
        size_t total = 0;
        for (size_t i = 0; i < kSamples; i += kBlock)
            total += EncodeVoiceBlock(codec, in.data() + i, kBlock, out.data() + total,
                                      out.size() - total);
        benchmark::DoNotOptimize(total);
    }
    SetRealTime(state);
}

void BM_Decode(benchmark::State& state, int id, int bits) {
    CVoiceCodec enc;
    OpenVoiceCodec(enc, id, Settings(id, bits));
    std::vector<uint8_t> bytes(kSamples * 2 + 64);
    size_t n = 0;
    for (size_t i = 0; i < kSamples; i += kBlock)
        n += EncodeVoiceBlock(enc, Signal().data() + i, kBlock, bytes.data() + n, bytes.size() - n);
    bytes.resize(n);
    size_t blockBytes = id == 128 ? 33 * 10 : 800;
    std::vector<int16_t> out(kSamples * 2 + 4096);
    for (auto _ : state) {
        CVoiceCodec codec;
        OpenVoiceCodec(codec, id, Settings(id, bits));
        size_t total = 0;
        for (size_t i = 0; i < bytes.size(); i += blockBytes)
            total +=
                DecodeVoiceBlock(codec, bytes.data() + i, std::min(blockBytes, bytes.size() - i),
                                 out.data() + total, out.size() - total);
        benchmark::DoNotOptimize(total);
    }
    SetRealTime(state);
}

// The references.
void BM_RefG711(benchmark::State& state, bool bAlaw, bool bEncode) {
    const std::vector<int16_t>& in = Signal();
    std::vector<uint8_t> bytes(kSamples);
    std::vector<int16_t> out(kSamples);
    g711_state_t* s = g711_init(nullptr, bAlaw ? G711_ALAW : G711_ULAW);
    g711_encode(s, bytes.data(), in.data(), kSamples);
    for (auto _ : state) {
        for (size_t i = 0; i < kSamples; i += kBlock) {
            if (bEncode)
                g711_encode(s, bytes.data() + i, in.data() + i, kBlock);
            else
                g711_decode(s, out.data() + i, bytes.data() + i, kBlock);
        }
        benchmark::DoNotOptimize(bytes.data());
        benchmark::DoNotOptimize(out.data());
    }
    g711_free(s);
    SetRealTime(state);
}

void BM_RefG726(benchmark::State& state, int bits, bool bEncode) {
    const std::vector<int16_t>& in = Signal();
    std::vector<uint8_t> bytes(kSamples);
    std::vector<int16_t> out(kSamples);
    g726_state_t* e = g726_init(nullptr, bits * 8000, G726_ENCODING_LINEAR, G726_PACKING_RIGHT);
    int n = g726_encode(e, bytes.data(), in.data(), kSamples);
    g726_free(e);
    for (auto _ : state) {
        g726_state_t* s = g726_init(nullptr, bits * 8000, G726_ENCODING_LINEAR, G726_PACKING_RIGHT);
        if (bEncode)
            for (size_t i = 0; i < kSamples; i += kBlock)
                g726_encode(s, bytes.data(), in.data() + i, kBlock);
        else
            g726_decode(s, out.data(), bytes.data(), n);
        g726_free(s);
        benchmark::DoNotOptimize(out.data());
    }
    SetRealTime(state);
}

void BM_RefIma(benchmark::State& state, bool bEncode) {
    const std::vector<int16_t>& in = Signal();
    std::vector<uint8_t> bytes(kSamples);
    std::vector<int16_t> out(kSamples + 16);
    ima_adpcm_state_t* e = ima_adpcm_init(nullptr, IMA_ADPCM_DVI4, 0);
    int n = ima_adpcm_encode(e, bytes.data(), in.data(), kSamples);
    ima_adpcm_free(e);
    for (auto _ : state) {
        ima_adpcm_state_t* s = ima_adpcm_init(nullptr, IMA_ADPCM_DVI4, 0);
        if (bEncode)
            ima_adpcm_encode(s, bytes.data(), in.data(), kSamples);
        else
            ima_adpcm_decode(s, out.data(), bytes.data(), n);
        ima_adpcm_free(s);
        benchmark::DoNotOptimize(out.data());
        benchmark::DoNotOptimize(bytes.data());
    }
    SetRealTime(state);
}

void BM_RefGsm(benchmark::State& state, bool bEncode) {
    std::vector<int16_t> in = Signal();
    std::vector<gsm_byte> frames(kSamples / 160 * 33);
    std::vector<int16_t> out(kSamples);
    gsm g = gsm_create();
    for (size_t f = 0; f < kSamples / 160; ++f)
        gsm_encode(g, in.data() + f * 160, frames.data() + f * 33);
    gsm_destroy(g);
    for (auto _ : state) {
        gsm s = gsm_create();
        for (size_t f = 0; f < kSamples / 160; ++f) {
            if (bEncode)
                gsm_encode(s, in.data() + f * 160, frames.data() + f * 33);
            else
                gsm_decode(s, frames.data() + f * 33, out.data() + f * 160);
        }
        gsm_destroy(s);
        benchmark::DoNotOptimize(out.data());
    }
    SetRealTime(state);
}

// The modems' formats through programs: this much sound per run, so that
// starting the processes does not decide the outcome.
constexpr size_t kToolSeconds = 60;

// Runs a program without a shell, its output discarded; stops the run when it
// fails, since a failed conversion would time nothing.
void RunTool(std::vector<std::string> argv, benchmark::State& state) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        state.SkipWithError((argv[0] + " failed (package mgetty-pvftools?)").c_str());
}

struct ModemTool {
    int id;
    int bits;
    const char* modem; // the voice tools' modem type and compression number
    int compression;
    int rate;
};

const ModemTool kModemTools[] = {
    {4, 2, "Rockwell", 2, 7200},      {4, 3, "Rockwell", 3, 7200},  {4, 4, "Rockwell", 4, 7200},
    {5, 4, "ZyXEL_Omni56K", 4, 9600}, {41, 4, "ZyXEL_2864", 4, 8000},
};

// Input files for one format, made once per run: the signal as 16-bit raw
// (theirs), as WAV (ours), and its coded form (for decoding).
struct ToolFiles {
    std::string folder, lin, wav, rmd, raw;
};

const ToolFiles& FilesFor(const ModemTool& t) {
    static std::map<std::string, ToolFiles> s_files;
    static const std::string s_folder = MakeBenchFolder();
    std::string key = std::to_string(t.id) + "_" + std::to_string(t.bits);
    auto it = s_files.find(key);
    if (it != s_files.end())
        return it->second;
    ToolFiles f{s_folder, s_folder + key + ".lin", s_folder + key + ".wav", s_folder + key + ".rmd",
                s_folder + key + ".raw"};
    std::vector<int16_t> sound;
    while (sound.size() < kToolSeconds * 8000)
        sound.insert(sound.end(), Signal().begin(), Signal().end());
    std::ofstream(f.lin, std::ios::binary)
        .write(reinterpret_cast<const char*>(sound.data()),
               static_cast<std::streamsize>(sound.size() * 2));
    CWaveFile wav;
    wav.Create(f.wav, PcmFormat(static_cast<uint32_t>(t.rate)));
    wav.WriteSamples(sound.data(), sound.size());
    wav.CloseWrite();
    return s_files.emplace(key, f).first->second;
}

void SetToolRealTime(benchmark::State& state) {
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kToolSeconds,
                           benchmark::Counter::kIsRate);
}

// Their conversion, file to file: lintopvf | pvftormd, or rmdtopvf | pvftolin.
void BM_RefPvf(benchmark::State& state, ModemTool t, bool bEncode) {
    const ToolFiles& f = FilesFor(t);
    const std::string pvf = f.folder + "ref.pvf";
    const std::string rate = std::to_string(t.rate);
    const std::string comp = std::to_string(t.compression);
    RunTool({"lintopvf", "-W", "-S", "-I", "-s", rate, f.lin, pvf}, state);
    RunTool({"pvftormd", t.modem, comp, pvf, f.rmd}, state);
    for (auto _ : state) {
        if (bEncode) {
            RunTool({"lintopvf", "-W", "-S", "-I", "-s", rate, f.lin, pvf}, state);
            RunTool({"pvftormd", t.modem, comp, pvf, f.folder + "ref-out.rmd"}, state);
        } else {
            RunTool({"rmdtopvf", f.rmd, pvf}, state);
            RunTool({"pvftolin", "-W", "-S", "-I", pvf, f.folder + "ref-out.lin"}, state);
        }
    }
    SetToolRealTime(state);
}

// Ours, the same way: vorella-tool from WAV to raw modem data and back.
void BM_ToolOurs(benchmark::State& state, ModemTool t, bool bEncode) {
    const ToolFiles& f = FilesFor(t);
    const std::string tool = std::string(VORELLA_BIN_DIR) + "/vorella-tool";
    const std::string id = std::to_string(t.id), bits = std::to_string(t.bits);
    const std::string rate = std::to_string(t.rate);
    RunTool({tool, "encode", "--id", id, "--bits", bits, f.wav, f.raw}, state);
    for (auto _ : state) {
        if (bEncode)
            RunTool({tool, "encode", "--id", id, "--bits", bits, f.wav, f.folder + "out.raw"},
                    state);
        else
            RunTool({tool, "decode", "--id", id, "--bits", bits, "--rate", rate, f.raw,
                     f.folder + "out.wav"},
                    state);
    }
    SetToolRealTime(state);
}

std::string ToolKey(const char* what, const ModemTool& t) {
    return std::string(what) + "/" + std::to_string(t.id) + "/" + std::to_string(t.bits);
}

struct Row {
    const char* name;
    int id;
    int bits;
    const char* reference; // benchmark name prefix of the reference, or nullptr
};

const Row kRows[] = {
    // The modems' own formats have no library to compare with in-process;
    // they are compared as whole processes below.
    {"id 4, 2 bits", 4, 2, nullptr},       {"id 4, 3 bits", 4, 3, nullptr},
    {"id 4, 4 bits", 4, 4, nullptr},       {"id 5 DigiSpeech", 5, 4, nullptr},
    {"id 8 linear u8", 8, 8, nullptr},     {"id 9 linear s8", 9, 8, nullptr},
    {"id 16 linear", 16, 16, nullptr},     {"id 41 ZyXEL", 41, 4, nullptr},
    {"id 128 GSM", 128, 2, "gsm"},         {"id 129 G.726/24", 129, 3, "g726_3"},
    {"id 129 G.726/32", 129, 4, "g726_4"}, {"id 129 G.726/40", 129, 5, "g726_5"},
    {"id 130 IMA", 130, 4, "ima"},         {"id 1130 IMA", 1130, 4, "ima"},
    {"id 2130 A-law", 2130, 8, "alaw"},    {"id 2131 mu-law", 2131, 8, "ulaw"},
};

std::string Key(const char* what, const Row& r) {
    return std::string(what) + "/" + std::to_string(r.id) + "/" + std::to_string(r.bits);
}

// Collects the real-time multiples to print the table at the end.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            auto it = r.counters.find("x_realtime");
            if (it != r.counters.end())
                m_speed[r.run_name.function_name] = it->second.value;
        }
    }
    void PrintTable() const {
        std::printf("\n%-18s %12s %12s %12s %12s %8s %8s\n", "codec", "encode xRT", "decode xRT",
                    "ref enc xRT", "ref dec xRT", "enc/ref", "dec/ref");
        for (const Row& r : kRows) {
            double e = Get(Key("encode", r)), d = Get(Key("decode", r));
            if (r.reference) {
                double re = Get(std::string("ref_encode/") + r.reference);
                double rd = Get(std::string("ref_decode/") + r.reference);
                std::printf("%-18s %12.0f %12.0f %12.0f %12.0f %8.2f %8.2f\n", r.name, e, d, re, rd,
                            re > 0 ? e / re : 0, rd > 0 ? d / rd : 0);
            } else {
                std::printf("%-18s %12.0f %12.0f %12s %12s %8s %8s\n", r.name, e, d, "-", "-", "-",
                            "-");
            }
        }
        std::printf("\nWhole processes, file to file (vorella-tool against mgetty's voice "
                    "tools):\n%-18s %12s %12s %12s %12s %8s %8s\n",
                    "format", "ours enc xRT", "ours dec xRT", "ref enc xRT", "ref dec xRT",
                    "enc/ref", "dec/ref");
        for (const ModemTool& t : kModemTools) {
            double e = Get(ToolKey("tool_encode", t)), d = Get(ToolKey("tool_decode", t));
            double re = Get(ToolKey("ref_encode/pvf", t)), rd = Get(ToolKey("ref_decode/pvf", t));
            std::printf("%-18s %12.0f %12.0f %12.0f %12.0f %8.2f %8.2f\n",
                        (std::string(t.modem) + " " + std::to_string(t.compression)).c_str(), e, d,
                        re, rd, re > 0 ? e / re : 0, rd > 0 ? d / rd : 0);
        }
    }

private:
    double Get(const std::string& name) const {
        auto it = m_speed.find(name);
        return it == m_speed.end() ? 0 : it->second;
    }
    std::map<std::string, double> m_speed;
};

} // namespace

int main(int argc, char** argv) {
    for (const Row& r : kRows) {
        benchmark::RegisterBenchmark(Key("encode", r).c_str(), BM_Encode, r.id, r.bits);
        benchmark::RegisterBenchmark(Key("decode", r).c_str(), BM_Decode, r.id, r.bits);
    }
    benchmark::RegisterBenchmark("ref_encode/alaw", BM_RefG711, true, true);
    benchmark::RegisterBenchmark("ref_decode/alaw", BM_RefG711, true, false);
    benchmark::RegisterBenchmark("ref_encode/ulaw", BM_RefG711, false, true);
    benchmark::RegisterBenchmark("ref_decode/ulaw", BM_RefG711, false, false);
    for (int bits = 3; bits <= 5; ++bits) {
        std::string b = std::to_string(bits);
        benchmark::RegisterBenchmark(("ref_encode/g726_" + b).c_str(), BM_RefG726, bits, true);
        benchmark::RegisterBenchmark(("ref_decode/g726_" + b).c_str(), BM_RefG726, bits, false);
    }
    benchmark::RegisterBenchmark("ref_encode/ima", BM_RefIma, true);
    benchmark::RegisterBenchmark("ref_decode/ima", BM_RefIma, false);
    benchmark::RegisterBenchmark("ref_encode/gsm", BM_RefGsm, true);
    benchmark::RegisterBenchmark("ref_decode/gsm", BM_RefGsm, false);
    for (const ModemTool& t : kModemTools) {
        benchmark::RegisterBenchmark(ToolKey("ref_encode/pvf", t).c_str(), BM_RefPvf, t, true)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(ToolKey("ref_decode/pvf", t).c_str(), BM_RefPvf, t, false)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(ToolKey("tool_encode", t).c_str(), BM_ToolOurs, t, true)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(ToolKey("tool_decode", t).c_str(), BM_ToolOurs, t, false)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }

    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable();
    benchmark::Shutdown();
    return 0;
}
