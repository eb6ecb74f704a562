// Playing a WAV file on the sound card, synchronously or in the background,
// as the ring sound and the greeting preview do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Plays the file (PCM or GSM 6.10). Any sound still playing is stopped
// first. Synchronous: returns when it has played (or was stopped).
// Asynchronous: returns at once. False when the file cannot be read or no
// device takes its format; sError then says which.
bool PlaySoundFile(const std::string& path, bool bAsync, int deviceId = -1,
                   std::string* sError = nullptr);
// Plays 16-bit mono samples at rate in the background, as a file is played
// (any sound still playing is stopped first). Returns the play's number
// (never 0), or 0 when no device takes the rate; sError then says why.
uint64_t PlaySoundSamples(std::vector<int16_t> samples, uint32_t rate, int deviceId = -1,
                          std::string* sError = nullptr);
// Stops a sound playing in the background.
void StopSound();
// Stops the background sound only while it is still play nPlay.
void StopSoundPlay(uint64_t nPlay);
// True while a background sound plays.
bool IsSoundPlaying();
