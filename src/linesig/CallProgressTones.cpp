#include "linesig/CallProgressTones.h"

namespace {

constexpr LineSignalKind kDial = LineSignalKind::DialTone;
constexpr LineSignalKind kBusy = LineSignalKind::BusyTone;

// Dial tones count after 1.5 s of steady tone: far longer than any busy
// tone's on time or a held vowel, short enough to catch a caller who has
// hung up. (At one second, ten minutes of full-scale noise gave the
// receiver a dial tone now and then.)
constexpr CallProgressTone kTones[] = {
    {kDial, "North America dial", 350, 440, 1500, 0, 1},
    {kDial, "Europe dial", 425, 0, 1500, 0, 1},
    {kDial, "United Kingdom dial", 350, 450, 1500, 0, 1},
    {kDial, "France dial", 440, 0, 1500, 0, 1},
    {kDial, "Japan dial", 400, 0, 1500, 0, 1},
    {kBusy, "North America busy", 480, 620, 500, 500, 2},
    {kBusy, "Europe busy", 425, 0, 500, 500, 2},
    {kBusy, "Europe busy, short", 425, 0, 375, 375, 2}, // also Australia
    {kBusy, "Spain busy", 425, 0, 200, 200, 2},
    {kBusy, "United Kingdom busy", 400, 0, 375, 375, 2},
    {kBusy, "France busy", 440, 0, 500, 500, 2},
    {kBusy, "Japan busy", 400, 0, 500, 500, 2},
};

} // namespace

std::span<const CallProgressTone> CallProgressTones() {
    return kTones;
}
