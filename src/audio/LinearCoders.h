// The coders without state: linear PCM in 8 and 16 bits, and G.711.
#pragma once

#include "audio/VoiceCoder.h"

#include <memory>

// One of the compression ids 8, 9, 16, 2130 or 2131; nullptr for any other.
std::unique_ptr<CVoiceCoder> MakeLinearCoder(int id);
