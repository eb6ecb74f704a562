// Test helper: records a 1 kHz tone into a WAV file as fast as it can, says
// "ready" after `seconds` of sound, then waits to be killed without closing
// the file. Usage: wav_kill_helper OUT.wav SECONDS
#include "audio/WaveFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    CWaveFile file;
    if (!file.Create(argv[1], PcmFormat(8000))) {
        std::fprintf(stderr, "%s\n", file.LastError().c_str());
        return 1;
    }
    int seconds = std::atoi(argv[2]);
    int16_t block[160];
    for (int n = 0; n < seconds * 50; ++n) {
        for (int i = 0; i < 160; ++i)
            block[i] =
                static_cast<int16_t>(8000 * std::sin(2 * M_PI * 1000 * (n * 160 + i) / 8000));
        if (!file.WriteSamples(block, 160))
            return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;)
        pause();
}
