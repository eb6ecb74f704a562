// Playing a WAV file on the sound card, synchronously or in the background,
// as the ring sound and the greeting preview do.
#pragma once

#include <string>

// Plays the file (PCM or GSM 6.10). Any sound still playing is stopped
// first. Synchronous: returns when it has played (or was stopped).
// Asynchronous: returns at once. False when the file cannot be read or no
// device takes its format; sError then says which.
bool PlaySoundFile(const std::string& path, bool bAsync, int deviceId = -1,
                   std::string* sError = nullptr);
// Stops a sound playing in the background.
void StopSound();
// True while a background sound plays.
bool IsSoundPlaying();
