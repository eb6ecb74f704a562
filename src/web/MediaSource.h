// A recording as a browser plays it: 16-bit mono PCM in a WAV file, whatever
// the recording's own coding (PCM of 8 or 16 bits, mono or stereo; G.711
// A-law or mu-law; GSM 6.10, which browsers cannot play). The length of
// what is served is known at once, before any byte is made, so that a page
// can seek with byte ranges; Read makes any part of it, decoding only the
// GSM blocks that part needs.
//
// GSM is decoded in segments of kSegmentBlocks blocks, each by a decoder of
// its own that first hears the kWarmUpBlocks blocks before it: what any Read
// returns is the same whichever parts were read before. The decoder's memory
// of speech fades within those blocks, so a message comes out exactly as a
// decoder that ran through the whole file makes it; a long steady tone (a
// fax, a test signal) can differ from that slightly after a segment's start.
//
// One source serves one answer: it is not shared between threads. A server
// answers a ByteRange of Size() with a reader that calls Read(nFirst + pos,
// ...) and ends the answer with an error when it gets nullopt.
#pragma once

#include "audio/WaveFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CMediaSource {
public:
    static constexpr uint32_t kSegmentBlocks = 100; // 4 seconds at 8000 samples/s
    static constexpr uint32_t kWarmUpBlocks = 16;
    // The most one Read makes.
    static constexpr size_t kMaxReadBytes = 256 * 1024;

    // nullptr, with the reason in *pError, when path is missing, not a WAV
    // file, damaged, in a coding not served or too long for a WAV file.
    static std::unique_ptr<CMediaSource> Open(const std::string& path, std::string* pError);
    ~CMediaSource();
    CMediaSource(const CMediaSource&) = delete;
    CMediaSource& operator=(const CMediaSource&) = delete;

    // Bytes of the WAV file served: its header and 2 bytes a sample.
    uint64_t Size() const { return m_header.size() + 2 * uint64_t{m_nSamples}; }
    uint32_t SampleRate() const { return m_nRate; }
    uint32_t SampleCount() const { return m_nSamples; }
    // Copies the served bytes from offset on into out: n of them, or fewer
    // at the end or over kMaxReadBytes; 0 from Size() on. nullopt when the
    // recording cannot be read any more (Error() says why).
    std::optional<size_t> Read(uint64_t offset, uint8_t* out, size_t n);
    const std::string& Error() const { return m_sError; }

private:
    enum class Coding { Pcm, Alaw, Ulaw, Gsm };
    CMediaSource() = default;
    // count samples from first on into out; false when the file fell short.
    bool Samples(uint32_t first, uint32_t count, int16_t* out);
    bool FrameSamples(uint32_t first, uint32_t count, int16_t* out);
    bool GsmSamples(uint32_t first, uint32_t count, int16_t* out);
    bool DecodeSegment(uint32_t segment);
    bool Fail(const std::string& why);

    std::string m_sPath;
    CWaveFile m_file;
    Coding m_coding = Coding::Pcm;
    uint16_t m_nChannels = 1;
    uint32_t m_nRate = 8000;
    uint32_t m_nSamples = 0;
    std::vector<uint8_t> m_header;
    std::string m_sError;
    // The GSM segment decoded last, and which it is.
    std::vector<int16_t> m_segment;
    std::optional<uint32_t> m_nSegment;
};
