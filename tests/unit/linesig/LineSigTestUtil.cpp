#include "LineSigTestUtil.h"

#include "AudioTestUtil.h"
#include "ChildProcess.h"
#include "TempHome.h"
#include "linesig/LineSignalDetector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

std::vector<LineSignal> Detect(const std::vector<int16_t>& sound, size_t block) {
    std::vector<LineSignal> found;
    CLineSignalDetector detector([&](const LineSignal& s) { found.push_back(s); });
    for (size_t i = 0; i < sound.size(); i += block)
        detector.Feed(sound.data() + i, std::min(block, sound.size() - i));
    return found;
}

std::vector<LineSignal> OfKind(const std::vector<LineSignal>& signals, LineSignalKind kind) {
    std::vector<LineSignal> out;
    std::copy_if(signals.begin(), signals.end(), std::back_inserter(out),
                 [&](const LineSignal& s) { return s.kind == kind; });
    return out;
}

std::string Describe(const std::vector<LineSignal>& signals) {
    std::string text;
    for (const LineSignal& s : signals) {
        if (!text.empty())
            text += "; ";
        text += LineSignalKindName(s.kind);
        if (s.kind == LineSignalKind::Key)
            text += std::string(" ") + s.cKey;
        else if (!s.sData.empty())
            text += " (" + s.sData + ")";
        char at[32];
        std::snprintf(at, sizeof at, " at %.2f s", Seconds(s.nAtSample));
        text += at;
    }
    return text;
}

std::string KeysOf(const std::vector<LineSignal>& signals) {
    std::string keys;
    for (const LineSignal& s : OfKind(signals, LineSignalKind::Key))
        keys += s.cKey;
    return keys;
}

namespace {

std::vector<int16_t> RawSamples(const std::string& bytes) {
    std::vector<int16_t> s(bytes.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                    static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return s;
}

const std::vector<std::string> kRawOut = {"-r", "8000",   "-c", "1",  "-b",  "16",
                                          "-e", "signed", "-L", "-t", "raw", "-"};

} // namespace

std::vector<int16_t> SoxSound(const std::vector<std::string>& effects) {
    // -R seeds sox's noise, so that a failure repeats.
    std::vector<std::string> argv = {"/usr/bin/sox", "-R", "-n"};
    argv.insert(argv.end(), kRawOut.begin(), kRawOut.end());
    argv.insert(argv.end(), effects.begin(), effects.end());
    ProgramRun run = RunProgram(argv);
    EXPECT_EQ(run.nExit, 0) << run.err;
    return RawSamples(run.out);
}

const std::vector<int16_t>& Speech() {
    static const std::vector<int16_t> speech = [] {
        TempHome home;
        std::vector<int16_t> all;
        // Voices high and low, two languages; questions, numbers and vowels
        // held long, which a tone receiver could take for a tone.
        const char* voices[] = {"en+f3", "en+m3", "de"};
        for (const char* voice : voices) {
            std::string wav = home.File(std::string(voice) + ".wav");
            ProgramRun say = RunProgram(
                {"/usr/bin/espeak-ng", "-v", voice, "-s", "150", "-w", wav,
                 "Hello, this is the answering machine. Please leave your message after the "
                 "tone. Who is calling? My number is zero one two three, four five six seven. "
                 "Nooooo, I said three hundred and fifty. Mmmmm. Aaaaah. Ring me back soon, "
                 "goodbye."});
            EXPECT_EQ(say.nExit, 0) << say.err;
            std::vector<std::string> argv = {"/usr/bin/sox", wav};
            argv.insert(argv.end(), kRawOut.begin(), kRawOut.end());
            argv.insert(argv.end(), {"gain", "-n", "-1"});
            ProgramRun run = RunProgram(argv);
            EXPECT_EQ(run.nExit, 0) << run.err;
            all = Concat(all, RawSamples(run.out));
        }
        return all;
    }();
    return speech;
}

std::vector<int16_t> MixAtSnr(const std::vector<int16_t>& a, const std::vector<int16_t>& b,
                              double snrDb) {
    std::vector<int16_t> bFit(a.size());
    for (size_t i = 0; i < a.size() && !b.empty(); ++i)
        bFit[i] = b[i % b.size()];
    const double rb = Rms(bFit);
    const double gain = rb > 0 ? Rms(a) / rb / std::pow(10.0, snrDb / 20) : 0;
    std::vector<int16_t> out(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        double v = a[i] + gain * bFit[i];
        out[i] = static_cast<int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    }
    return out;
}

std::vector<int16_t> Concat(std::vector<int16_t> a, const std::vector<int16_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

double Seconds(int64_t samples) {
    return static_cast<double>(samples) / 8000.0;
}
