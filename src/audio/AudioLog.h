// Where the audio layer reports events worth a line in the modem log, and
// the failures the user must learn about.
//
// The audio library sits below the modem layer that owns "modem.log" and the
// engine that owns the status line, so it only knows a sink; the engine
// worker installs one at start-up. Without a sink the lines are dropped.
#pragma once

#include <functional>
#include <string>

enum class AudioLogKind {
    Trace, // a routine line, for the modem log only
    Error, // a sound the device refused or lost: the user is told
};

using AudioLogSink = std::function<void(const std::string& line, AudioLogKind kind)>;

// Installs the sink (an empty function removes it). Thread-safe.
void SetAudioLogSink(AudioLogSink sink);
void AudioLog(const std::string& line, AudioLogKind kind = AudioLogKind::Trace);
// A failure: AudioLog of kind Error.
void AudioError(const std::string& line);
