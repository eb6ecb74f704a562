#include "VoiceCodec.h"

#include "audio/VoiceCodec.h"
#include "config/VoiceFormat.h"

namespace modemsim {

std::unique_ptr<VoiceCodec> VoiceCodec::Create(int id, int bits, int sampleRate) {
    const VoiceFormat* format = FindVoiceFormat(id);
    if (!format)
        return nullptr;
    if (bits <= 0)
        bits = format->nDefaultBits;
    auto enc = MakeVoiceCoder(id, bits, sampleRate);
    auto dec = MakeVoiceCoder(id, bits, sampleRate);
    auto probe = MakeVoiceCoder(id, bits, sampleRate);
    if (!enc || !dec || !probe)
        return nullptr;
    // How many bytes a block takes, measured on a coder of its own.
    int16_t silence[kBlockSamples] = {};
    std::vector<uint8_t> bytes(probe->EncodedBound(kBlockSamples));
    size_t blockBytes = probe->Encode(silence, kBlockSamples, bytes.data());
    if (blockBytes == 0)
        return nullptr;
    return std::unique_ptr<VoiceCodec>(new VoiceCodec(std::move(enc), std::move(dec), blockBytes));
}

VoiceCodec::VoiceCodec(std::unique_ptr<CVoiceCoder> enc, std::unique_ptr<CVoiceCoder> dec,
                       size_t blockBytes)
    : m_enc(std::move(enc)), m_dec(std::move(dec)), m_blockBytes(blockBytes) {}

void VoiceCodec::EncodeBlock(const int16_t* samples, std::string& out) {
    std::vector<uint8_t> bytes(m_enc->EncodedBound(kBlockSamples));
    size_t n = m_enc->Encode(samples, kBlockSamples, bytes.data());
    out.append(reinterpret_cast<const char*>(bytes.data()), n);
}

void VoiceCodec::DecodeNow(const uint8_t* bytes, size_t count, std::vector<int16_t>& out) {
    if (count == 0)
        return;
    size_t at = out.size();
    out.resize(at + m_dec->DecodedBound(count));
    size_t n = m_dec->Decode(bytes, count, out.data() + at, out.size() - at);
    out.resize(at + n);
}

void VoiceCodec::Decode(const uint8_t* bytes, size_t count, std::vector<int16_t>& out) {
    m_pending.append(reinterpret_cast<const char*>(bytes), count);
    size_t whole = m_pending.size() / m_blockBytes * m_blockBytes;
    DecodeNow(reinterpret_cast<const uint8_t*>(m_pending.data()), whole, out);
    m_pending.erase(0, whole);
}

void VoiceCodec::Flush(std::vector<int16_t>& out) {
    DecodeNow(reinterpret_cast<const uint8_t*>(m_pending.data()), m_pending.size(), out);
    m_pending.clear();
}

} // namespace modemsim
