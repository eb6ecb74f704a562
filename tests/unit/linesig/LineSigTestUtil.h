// Helpers of the line signal tests: running the detector over a sound,
// independent sounds from sox and espeak-ng, and mixing.
#pragma once

#include "linesig/LineSignal.h"

#include <cstdint>
#include <string>
#include <vector>

// Every signal the detector reports for `sound`, fed in blocks of `block`
// samples.
std::vector<LineSignal> Detect(const std::vector<int16_t>& sound, size_t block = 160);
// The signals of one kind.
std::vector<LineSignal> OfKind(const std::vector<LineSignal>& signals, LineSignalKind kind);
// "dial tone (Europe dial) at 1.28 s; key 5 at 2.10 s", for messages.
std::string Describe(const std::vector<LineSignal>& signals);
// The keys reported, in order.
std::string KeysOf(const std::vector<LineSignal>& signals);

// sox's output for a sound made from nothing: `sox -n ... <effects>`, as
// 8000 samples/s 16-bit mono.
std::vector<int16_t> SoxSound(const std::vector<std::string>& effects);
// Speech made by espeak-ng and brought to 8000 samples/s by sox, peaking
// near full scale; cached, the same for every caller.
const std::vector<int16_t>& Speech();

// a + b scaled so that a is `snrDb` above b (by their mean powers); b is
// repeated or cut to a's length.
std::vector<int16_t> MixAtSnr(const std::vector<int16_t>& a, const std::vector<int16_t>& b,
                              double snrDb);
std::vector<int16_t> Concat(std::vector<int16_t> a, const std::vector<int16_t>& b);
// Seconds at 8000 samples/s.
double Seconds(int64_t samples);
