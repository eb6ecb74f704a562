// Where the audio layer reports events worth a line in the modem log.
//
// The audio library sits below the modem layer that owns "modem.log", so it
// only knows a sink; the engine installs one at start-up. Without a sink the
// lines are dropped.
#pragma once

#include <functional>
#include <string>

using AudioLogSink = std::function<void(const std::string& line)>;

// Installs the sink (an empty function removes it). Thread-safe.
void SetAudioLogSink(AudioLogSink sink);
void AudioLog(const std::string& line);
