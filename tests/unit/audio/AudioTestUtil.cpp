#include "AudioTestUtil.h"

#include "audio/Cacm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The sound tests drive the null backend; it must be chosen before anything
// opens a device, whatever the environment the tests were started from.
const bool g_bNullAudio = [] { return setenv("VORELLA_AUDIO", "null", 1) == 0; }();

} // namespace

std::string TestBinDir() {
    const char* dir = std::getenv("VORELLA_BIN_DIR");
    return dir && *dir ? dir : VORELLA_TEST_BIN_DIR;
}

int RunProgram(const std::vector<std::string>& argv, std::string* pOut) {
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, 0);
            if (!pOut)
                dup2(devnull, 1);
        }
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[65536];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            out.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (pOut)
        *pOut = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<int16_t> SineWave(double hz, double amplitude, size_t count, double rate) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)));
    return s;
}

std::vector<int16_t> SpeechSample() {
    const char* src = std::getenv("VORELLA_SOURCE_DIR");
    std::string path = std::string(src ? src : ".") + "/tests/data/audio/speech.wav";
    std::vector<int16_t> s;
    WaveFormat f;
    std::string err;
    EXPECT_TRUE(ReadWaveSamples(path, s, f, err)) << err;
    EXPECT_GT(s.size(), 8000u);
    return s;
}

double SnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded,
             int maxDelay) {
    double best = -100;
    for (int delay = 0; delay <= maxDelay; ++delay) {
        size_t n =
            std::min(reference.size(),
                     decoded.size() > static_cast<size_t>(delay) ? decoded.size() - delay : 0);
        if (n == 0)
            continue;
        double rr = 0, rd = 0, dd = 0;
        for (size_t i = 0; i < n; ++i) {
            double r = reference[i], d = decoded[i + delay];
            rr += r * r;
            rd += r * d;
            dd += d * d;
        }
        if (dd == 0 || rr == 0)
            continue;
        double g = rd / dd; // best gain on the decoded signal
        double noise = rr - 2 * g * rd + g * g * dd;
        double snr = 10 * std::log10(rr / std::max(noise, 1e-9));
        best = std::max(best, snr);
    }
    return best;
}

double ToneShare(const std::vector<int16_t>& s, double hz, double rate) {
    double w = 2 * M_PI * hz / rate;
    double c = 2 * std::cos(w);
    double s1 = 0, s2 = 0, total = 0, mean = 0;
    for (int16_t v : s)
        mean += v;
    mean /= std::max<size_t>(s.size(), 1);
    for (int16_t v : s) {
        double x = v - mean;
        double s0 = x + c * s1 - s2;
        s2 = s1;
        s1 = s0;
        total += x * x;
    }
    double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    // A pure tone of N samples has Goertzel power N^2 A^2 / 4 and energy N A^2 / 2.
    return total > 0 ? power / (total * s.size() / 2.0) : 0;
}

void WriteBinaryFile(const std::string& path, const std::string& content) {
    std::ofstream f(path, std::ios::binary);
    f << content;
}

std::string ReadBinaryFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}
