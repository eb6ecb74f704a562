// The voice formats a modem speaks, by compression id: the one table that the
// codec factory, the block sizes and the modem's format commands all read.
#pragma once

#include <cstddef>
#include <span>
#include <string>

class CModemProfile;

// How the samples are coded; the codec factory makes one coder per kind.
enum class VoiceCoding {
    Predictive,   // multi-bit predictive ADPCM with silence escapes
    DigiSpeech,   // 4-bit ADPCM with a fixed history predictor
    Unsigned8,    // 8-bit unsigned linear PCM
    Signed8,      // 8-bit signed linear PCM
    Linear16,     // 16-bit signed linear PCM, little-endian
    Zyxel,        // ZyXEL 4-bit ADPCM
    Gsm,          // GSM 06.10 full rate
    G726,         // ITU-T G.726 ADPCM
    ImaLowFirst,  // IMA ADPCM, first sample in the low nibble
    ImaHighFirst, // IMA ADPCM, first sample in the high nibble
    ALaw,         // ITU-T G.711 A-law
    MuLaw,        // ITU-T G.711 mu-law
};

// What the profile's bits command (sVoiceCompressBS) gets for a format.
enum class BitsCommand {
    Bits,        // the bits per sample
    FourAndRate, // "4,<sample rate>"
    None,        // nothing: the format command alone sets it
};

struct VoiceFormat {
    int nId;            // the compression id of settings and profiles
    const char* szName; // for people: logs, tool output
    VoiceCoding coding;
    // The bits per sample the id forces on nCompressionBS; 0 keeps the
    // configured value, which must then lie in nMinBits..nMaxBits.
    int nFixedBits;
    int nMinBits;
    int nMaxBits;
    int nDefaultBits; // what a tool takes when no bits are given
    // Bits one sample takes on the line when the coding fixes it (G.711
    // sends a byte per sample whatever nCompressionBS says); 0: the bits.
    int nLineBits;
    // Frame coders code whole frames only: samples and bytes of one frame
    // (0 for sample-by-sample coders).
    size_t nFrameSamples;
    size_t nFrameBytes;
    // The profile's command that selects the format in the modem.
    std::string CModemProfile::*pSelectCommand;
    BitsCommand bitsCommand;
};

// Every format, in compression id order.
std::span<const VoiceFormat> VoiceFormats();
// The format of a compression id; nullptr for an id no modem speaks.
const VoiceFormat* FindVoiceFormat(int id);

// The bits a format works with: its fixed bits, else `bits` as configured.
int FormatBits(const VoiceFormat& format, int bits);
// True when the format takes `bits` (after FormatBits).
bool FormatTakesBits(const VoiceFormat& format, int bits);
// Bytes the coded form of `samples` samples takes on the line (whole frames
// only for frame coders; a started byte counts).
size_t FormatBytes(const VoiceFormat& format, int bits, size_t samples);
// False when the modem takes no bits command for the id (its format command
// sets the bits); an id outside the table gets one.
bool TakesBitsCommand(int id);

// The name of a sound coded ahead of time in one voice format, for a modem
// that speaks it: stem and ".<id>-<bits>-<rate>" ("./dev/hold.130-4-8000"),
// with the bits the format works with. The build makes the shipped hold sound
// so for every format a shipped profile uses.
std::string VoiceDataFile(const std::string& stem, int id, int bits, int rate);
