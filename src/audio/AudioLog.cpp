#include "audio/AudioLog.h"

#include <mutex>

namespace {
std::mutex g_logMutex;
AudioLogSink g_logSink;
} // namespace

void SetAudioLogSink(AudioLogSink sink) {
    std::lock_guard lock(g_logMutex);
    g_logSink = std::move(sink);
}

void AudioLog(const std::string& line, AudioLogKind kind) {
    std::lock_guard lock(g_logMutex);
    if (g_logSink)
        g_logSink(line, kind);
}

void AudioError(const std::string& line) {
    AudioLog(line, AudioLogKind::Error);
}
