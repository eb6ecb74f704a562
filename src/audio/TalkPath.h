// Talking on a call through the computer's own sound card.
//
// What the far end says plays on the card's speaker; what the card's
// microphone hears goes to the far end, with the speaker's echo taken out.
// The call's side is a pair of sound devices of the line's backend (the
// call's "wave/in" and "wave/out", 8000 samples/s mono), whose clock paces
// the path; the card runs at 8000 samples/s or, when it refuses that, at its
// own rate, resampled both ways.
//
// While the path runs it holds the call's two devices. Plays and recordings
// of the call go through CallSound() instead: a recording there hears the
// conversation (both sides mixed, or far end left and microphone right when
// opened with two channels), and what is played there goes to the far end
// in place of the microphone for as long as it plays (a legal notice, music
// on hold).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class ISoundBackend;

struct TalkSettings {
    int nCaptureDevice = -1;  // the card's microphone, as its backend numbers it (-1 default)
    int nPlaybackDevice = -1; // the card's speaker
    bool bEchoCancel = true;
    int nVolume = 100;  // the speaker, percent
    bool bMute = false; // the microphone
};

class CTalkPath {
public:
    // line, card: must outlive the path. nLineIn / nLineOut: the call's
    // devices of line (the far end's sound / what goes to the far end).
    CTalkPath(ISoundBackend& line, int nLineIn, int nLineOut, ISoundBackend& card,
              const TalkSettings& settings);
    ~CTalkPath(); // stops
    CTalkPath(const CTalkPath&) = delete;
    CTalkPath& operator=(const CTalkPath&) = delete;

    // Opens both sides and starts. False, with *pWhy in words for the user
    // ("the sound card ... cannot record: ..."), when a side cannot open.
    bool Start(std::string* pWhy);
    // Stops and lets go of both sides; safe to call twice.
    void Stop();
    // Running, and neither side has failed since Start.
    bool Running() const;
    // Why the path stopped by itself (a card unplugged); empty otherwise.
    std::string Failure() const;

    // Any thread, any time.
    void SetVolume(int nPercent);
    void SetMute(bool bMute);

    // The call's sound while the path runs (see above); valid until Stop.
    ISoundBackend& CallSound();

    // The rate the card opened at (0 before Start).
    uint32_t CardRate() const;
    // Samples of the microphone and of the speaker the path filled with
    // silence (none had come) or dropped (too many had), since Start: the
    // card's clock and the line's drift apart.
    struct Counts {
        uint64_t nMicPadded = 0;
        uint64_t nMicDropped = 0;
        uint64_t nSpeakerPadded = 0;
        uint64_t nSpeakerDropped = 0;
    };
    Counts GetCounts() const;

    class Impl;

private:
    std::unique_ptr<Impl> m_pImpl;
};
