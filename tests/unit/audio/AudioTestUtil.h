// Helpers shared by the tests that judge sound: signals and measures, the
// voice codecs driven block by block, WAV files, and sox as the independent reader.
#pragma once

#include "ChildProcess.h"
#include "audio/VoiceCodec.h"
#include "audio/WaveFormat.h"

#include <cstdint>
#include <string>
#include <vector>

std::vector<int16_t> SineWave(double hz, double amplitude, size_t count, double rate = 8000);
// tests/data/audio/speech.wav as samples.
std::vector<int16_t> SpeechSample();

// Signal-to-noise ratio in dB of `decoded` against `reference`, after
// searching the best alignment within maxDelay samples and the best gain.
double SnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded,
             int maxDelay = 0);
// Power of the signal at hz (Goertzel) relative to its total power, 0..1,
// its DC offset left out (the sound card's path has one). HostPort.h has the
// plain measure, for samples a modem carried.
double ToneShare(const std::vector<int16_t>& s, double hz, double rate = 8000);
double Rms(const std::vector<int16_t>& s);

// A mono 16-bit WAV file of the samples; the test fails when it cannot be made.
void WriteWav(const std::string& path, const std::vector<int16_t>& samples, uint32_t rate = 8000);
// The samples of a WAV file as the program reads them (ReadWaveSamples).
std::vector<int16_t> ReadWav(const std::string& path, WaveFormat* pFormat = nullptr);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& content);

// sox, the independent reader and writer: runs it, seeded (the test fails
// when it fails), asks soxi for one property, and decodes a file to 16-bit samples.
void Sox(std::vector<std::string> args);
std::string Soxi(const std::string& option, const std::string& path);
std::vector<int16_t> SoxSamples(const std::string& path, bool bMixToMono = false);

// Every voice format the program codes, with the bits it takes.
struct CodecCase {
    int id;
    int bits;
    double minSnrDb; // speech round trip, after the best gain
};
extern const std::vector<CodecCase> kEveryCodec;
std::string CodecName(const CodecCase& c);
VoiceCodecSettings CodecSettings(int id, int bits);
// The stream coded in blocks of blockSize. Encoding opens the codec by the
// configured compression (id -1), decoding by its id: the program does both.
std::vector<uint8_t> EncodeAll(int id, int bits, const std::vector<int16_t>& in, size_t blockSize);
std::vector<int16_t> DecodeAll(int id, int bits, const std::vector<uint8_t>& in, size_t blockSize);
