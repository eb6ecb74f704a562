// The coders without state: linear PCM in 8 and 16 bits, and G.711.
#pragma once

#include "audio/VoiceCoder.h"
#include "config/VoiceFormat.h"

#include <memory>

// A coder for 8- or 16-bit linear PCM or G.711; nullptr for any other coding.
std::unique_ptr<CVoiceCoder> MakeLinearCoder(VoiceCoding coding);
