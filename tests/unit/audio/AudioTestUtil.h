// Helpers shared by the audio tests: signals, measures, and running the
// independent command-line tools (sox, toast) used as oracles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Runs argv[0] with the arguments (no shell); returns the exit status (-1 when
// it could not run) and fills *pOut with its standard output when given.
int RunProgram(const std::vector<std::string>& argv, std::string* pOut = nullptr);

std::vector<int16_t> SineWave(double hz, double amplitude, size_t count, double rate = 8000);
// tests/data/audio/speech.wav as samples.
std::vector<int16_t> SpeechSample();

// Signal-to-noise ratio in dB of `decoded` against `reference`, after
// searching the best alignment within maxDelay samples and the best gain.
double SnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded,
             int maxDelay = 0);
// Power of the signal at hz (Goertzel) relative to its total power, 0..1.
double ToneShare(const std::vector<int16_t>& s, double hz, double rate = 8000);

// The build's bin/ folder (vorella-tool and the shipped data).
std::string TestBinDir();

void WriteBinaryFile(const std::string& path, const std::string& content);
std::string ReadBinaryFile(const std::string& path);
