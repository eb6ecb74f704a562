// The sound card a call is talked through: its microphone and speaker,
// opened together at one rate, 8000 samples/s when the card takes it, else
// the first of the usual rates it does take.
#pragma once

#include "audio/SoundBackend.h"

#include <cstdint>
#include <memory>
#include <string>

struct TalkCard {
    std::unique_ptr<ICaptureStream> pMicrophone;
    std::unique_ptr<IPlaybackStream> pSpeaker;
    uint32_t nRate = 0;
    std::string sName; // as the user reads it: "the sound card \"...\""
};

// The rates tried, in order.
inline constexpr uint32_t kTalkCardRates[] = {8000, 48000, 44100, 16000};

// Opens the card's devices (mono, 16 bits). False, with *pWhy in words for
// the user, when it cannot.
bool OpenTalkCard(ISoundBackend& card, int nCaptureDevice, int nPlaybackDevice, TalkCard& out,
                  std::string* pWhy);
