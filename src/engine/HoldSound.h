// What the enhanced hold plays to a held caller.
#pragma once

#include <string>

struct VoiceCodecSettings;

// The first readable of: the file sWaveCompressedHold names (compressedHold,
// a WAV file of the user's); the modem's own form of it for its voice format
// (VoiceDataFile of that name: the shipped "./dev/hold" is made so for each
// shipped profile's format), when the device is a modem (pModem, else
// nullptr); the music on hold (waveHold), played through the codec. Both
// names are resolved already. Empty when none of them is there.
std::string EnhancedHoldSound(const std::string& compressedHold, const std::string& waveHold,
                              const VoiceCodecSettings* pModem);

// Whether file is the modem's own voice data for its format (so played
// without a WAV header), by the name VoiceDataFile gives it.
bool IsModemVoiceData(const std::string& file, const VoiceCodecSettings& modem);
