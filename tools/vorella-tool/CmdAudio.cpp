// Audio commands: modem voice data to and from WAV, and GSM 6.10 WAV files.
#include "Commands.h"

#include "audio/Cacm.h"
#include "audio/PlaySound.h"
#include "audio/RecThread.h"
#include "audio/SoundBackend.h"
#include "audio/VoiceCodec.h"
#include "audio/WaveFile.h"
#include "config/VoiceFormat.h"
#include "platform/FileUtil.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace {

// Raw voice files larger than this are not what a modem recorded.
constexpr size_t kMaxRawFile = 512u * 1024 * 1024;

struct CodecOptions {
    int id = -1;
    int bits = 4;
    int rate = 8000;
    std::vector<std::string> files;
};

std::optional<int> ParseNumber(const std::string& s) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || v < -1000000 || v > 1000000)
        return std::nullopt;
    return static_cast<int>(v);
}

// Parses --id, --bits and --rate and the file names; prints why on failure.
std::optional<CodecOptions> ParseCodecOptions(const Args& args, const char* usage) {
    CodecOptions o;
    bool bHaveBits = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--id" || a == "--bits" || a == "--rate") {
            std::optional<int> v = i + 1 < args.size() ? ParseNumber(args[i + 1]) : std::nullopt;
            if (!v) {
                std::fprintf(stderr, "vorella-tool: %s needs a number\n", a.c_str());
                return std::nullopt;
            }
            ++i;
            if (a == "--id")
                o.id = *v;
            else if (a == "--bits")
                o.bits = *v, bHaveBits = true;
            else
                o.rate = *v;
        } else {
            o.files.push_back(a);
        }
    }
    if (o.files.size() != 2 || o.id < 0) {
        std::fprintf(stderr, "usage: vorella-tool %s\n", usage);
        return std::nullopt;
    }
    const VoiceFormat* format = FindVoiceFormat(o.id);
    if (!format) {
        std::fprintf(stderr, "vorella-tool: unknown compression id %d\n", o.id);
        return std::nullopt;
    }
    if (!bHaveBits)
        o.bits = format->nDefaultBits;
    if (o.rate < 1000 || o.rate > 96000) {
        std::fprintf(stderr, "vorella-tool: sample rate %d is out of range\n", o.rate);
        return std::nullopt;
    }
    return o;
}

bool OpenCodec(CVoiceCodec& codec, const CodecOptions& o) {
    VoiceCodecSettings s;
    s.nCompression = o.id;
    s.nCompressionBS = o.bits;
    s.nCompressionSampleRate = o.rate;
    s.bSoftAGC = false; // the file's own level, as recorded
    if (!OpenVoiceCodec(codec, o.id, s)) {
        std::fprintf(stderr, "vorella-tool: compression id %d does not take %d bits per sample\n",
                     o.id, o.bits);
        return false;
    }
    return true;
}

} // namespace

int CmdEncode(const Args& args) {
    auto o = ParseCodecOptions(args, "encode --id ID [--bits B] IN.wav OUT.raw");
    if (!o)
        return 2;
    std::vector<int16_t> samples;
    WaveFormat format;
    std::string error;
    if (!ReadWaveSamples(o->files[0], samples, format, error)) {
        std::fprintf(stderr, "vorella-tool: %s\n", error.c_str());
        return 1;
    }
    o->rate = static_cast<int>(format.nSamplesPerSec);
    CVoiceCodec codec;
    if (!OpenCodec(codec, *o))
        return 1;
    std::string out(codec.EncodedBound(samples.size()), '\0');
    out.resize(EncodeVoiceBlock(codec, samples.data(), samples.size(),
                                reinterpret_cast<uint8_t*>(out.data()), out.size()));
    if (!WriteFileAtomic(o->files[1], out)) {
        std::fprintf(stderr, "vorella-tool: cannot write %s\n", o->files[1].c_str());
        return 1;
    }
    std::printf("%zu samples -> %zu bytes (id %d, %d bits)\n", samples.size(), out.size(), o->id,
                codec.Bits());
    return 0;
}

int CmdDecode(const Args& args) {
    auto o = ParseCodecOptions(args, "decode --id ID [--bits B] [--rate R] IN.raw OUT.wav");
    if (!o)
        return 2;
    std::optional<std::string> raw = ReadWholeFile(o->files[0], kMaxRawFile);
    if (!raw) {
        std::fprintf(stderr, "vorella-tool: cannot read %s (missing, unreadable or too large)\n",
                     o->files[0].c_str());
        return 1;
    }
    CVoiceCodec codec;
    if (!OpenCodec(codec, *o))
        return 1;
    const auto* bytes = reinterpret_cast<const uint8_t*>(raw->data());
    std::vector<int16_t> samples(codec.DecodedBound(raw->size()));
    samples.resize(DecodeVoiceBlock(codec, bytes, raw->size(), samples.data(), samples.size()));

    std::string temp = o->files[1] + ".partial";
    CWaveFile out;
    if (!out.Create(temp, PcmFormat(static_cast<uint32_t>(o->rate))) ||
        !out.WriteSamples(samples.data(), samples.size()) || !out.CloseWrite() ||
        std::rename(temp.c_str(), o->files[1].c_str()) != 0) {
        std::fprintf(stderr, "vorella-tool: cannot write %s %s\n", o->files[1].c_str(),
                     out.LastError().c_str());
        unlink(temp.c_str());
        return 1;
    }
    std::printf("%zu bytes -> %zu samples at %d samples/s\n", raw->size(), samples.size(), o->rate);
    return 0;
}

int CmdGsmWav(const Args& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: vorella-tool gsmwav IN.wav OUT.wav\n");
        return 2;
    }
    std::string error;
    if (!ConvertToGsm(args[0], args[1], &error)) {
        std::fprintf(stderr, "vorella-tool: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int CmdSoundDevices(const Args&) {
    ISoundBackend& backend = GetSoundBackend();
    std::printf("sound backend: %s\n", backend.Name().c_str());
    for (bool bCapture : {true, false}) {
        std::printf("%s devices:\n", bCapture ? "capture" : "playback");
        std::vector<SoundDeviceInfo> list = backend.ListDevices(bCapture);
        for (size_t i = 0; i < list.size(); ++i)
            std::printf("  %zu\t%s\t%s\n", i, list[i].sName.c_str(), list[i].sDescription.c_str());
    }
    return 0;
}

int CmdPlay(const Args& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vorella-tool play FILE.wav\n");
        return 2;
    }
    if (!PlaySoundFile(args[0], false)) {
        std::fprintf(stderr, "vorella-tool: cannot play %s\n", args[0].c_str());
        return 1;
    }
    return 0;
}

int CmdRecord(const Args& args) {
    std::optional<int> seconds = args.size() >= 2 ? ParseNumber(args[1]) : std::nullopt;
    if (!seconds || *seconds <= 0 || args.size() > 3 || (args.size() == 3 && args[2] != "--gsm")) {
        std::fprintf(stderr, "usage: vorella-tool record OUT.wav SECONDS [--gsm]\n");
        return 2;
    }
    CRecThread rec;
    CRecThread::Setup setup;
    setup.nSampleRate = 8000;
    setup.sFile = args[0];
    setup.options.bSoftAGC = false;
    setup.options.bCompressStorage = args.size() == 3;
    setup.options.nMaxDurationMs = static_cast<uint32_t>(*seconds) * 1000;
    rec.Start(setup);
    rec.WaitFinished(*seconds * 1000 + 30000);
    rec.Stop();
    if (!rec.Succeeded()) {
        std::fprintf(stderr, "vorella-tool: %s\n", rec.Error().c_str());
        return 1;
    }
    std::printf("%llu samples at %u samples/s\n",
                static_cast<unsigned long long>(rec.SamplesWritten()), rec.SampleRate());
    return 0;
}
