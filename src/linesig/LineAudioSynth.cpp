#include "linesig/LineAudioSynth.h"

#include "linesig/CallProgressTones.h"
#include "linesig/SpandspHandles.h"

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>

namespace {

using namespace linesig;

constexpr size_t kSamplesPerMs = 8;
constexpr std::string_view kKeys = "0123456789*#ABCD";

// Appends what a transmitter makes, until it stops or `limit` samples.
template <typename Tx>
void Pull(std::vector<int16_t>& out, Tx tx, size_t limit = SIZE_MAX) {
    std::array<int16_t, 160> block;
    size_t made = 0;
    while (made < limit) {
        int want = static_cast<int>(std::min<size_t>(block.size(), limit - made));
        int n = tx(block.data(), want);
        if (n <= 0)
            break;
        out.insert(out.end(), block.begin(), block.begin() + n);
        made += static_cast<size_t>(n);
    }
}

void CheckKeys(std::string_view keys) {
    for (char c : keys) {
        if (kKeys.find(c) == std::string_view::npos)
            throw std::invalid_argument("no such touch-tone key: '" + std::string(1, c) + "'");
    }
}

void AddKeys(std::vector<int16_t>& out, const LineAudioStep& step) {
    CheckKeys(step.sData);
    DtmfTx tx = Checked<DtmfTx>(dtmf_tx_init(nullptr));
    dtmf_tx_set_level(tx.get(), step.nLevelDbm0, 0);
    if (step.nMs > 0)
        dtmf_tx_set_timing(tx.get(), step.nMs, step.nMs);
    // spandsp's key queue is short; hand the keys over a few at a time, each
    // lot once the one before has been sent. It takes a lot whole (0) or
    // not at all.
    constexpr size_t kLot = 32;
    std::string_view rest = step.sData;
    while (!rest.empty()) {
        std::string_view lot = rest.substr(0, kLot);
        if (dtmf_tx_put(tx.get(), lot.data(), static_cast<int>(lot.size())) != 0)
            throw std::runtime_error("touch-tone transmitter refused the keys");
        rest.remove_prefix(lot.size());
        Pull(out, [&](int16_t* p, int n) { return dtmf_tx(tx.get(), p, n); });
    }
}

void AddCallingTone(std::vector<int16_t>& out, int ms) {
    ConnectTonesTx tx =
        Checked<ConnectTonesTx>(modem_connect_tones_tx_init(nullptr, MODEM_CONNECT_TONES_FAX_CNG));
    Pull(
        out, [&](int16_t* p, int n) { return modem_connect_tones_tx(tx.get(), p, n); },
        static_cast<size_t>(ms) * kSamplesPerMs);
}

void AddTone(std::vector<int16_t>& out, const LineAudioStep& step) {
    std::span<const CallProgressTone> rows = CallProgressTones();
    auto row = std::find_if(rows.begin(), rows.end(),
                            [&](const CallProgressTone& r) { return step.sData == r.szName; });
    if (row == rows.end())
        throw std::invalid_argument("no such tone: " + step.sData);
    int level2 = row->nFreq2 != 0 ? step.nLevelDbm0 : 0;
    bool bCadence = row->nOffMs != 0;
    std::unique_ptr<tone_gen_descriptor_t, void (*)(tone_gen_descriptor_t*)> desc(
        tone_gen_descriptor_init(nullptr, row->nFreq1, step.nLevelDbm0, row->nFreq2, level2,
                                 bCadence ? row->nOnMs : step.nMs, bCadence ? row->nOffMs : 0, 0, 0,
                                 bCadence ? 1 : 0),
        &tone_gen_descriptor_free);
    if (!desc)
        throw std::bad_alloc();
    ToneGen gen = Checked<ToneGen>(tone_gen_init(nullptr, desc.get()));
    Pull(
        out, [&](int16_t* p, int n) { return tone_gen(gen.get(), p, n); },
        static_cast<size_t>(step.nMs) * kSamplesPerMs);
}

void AddAdsi(std::vector<int16_t>& out, int standard, const std::string& message) {
    AdsiTx tx = Checked<AdsiTx>(adsi_tx_init(nullptr, standard));
    std::vector<uint8_t> bytes(message.begin(), message.end());
    if (standard != ADSI_STANDARD_CLIP_DTMF)
        bytes[1] = static_cast<uint8_t>(bytes.size() - 2);
    if (adsi_tx_put_message(tx.get(), bytes.data(), static_cast<int>(bytes.size())) <= 0)
        throw std::invalid_argument("caller ID message not accepted");
    Pull(out, [&](int16_t* p, int n) { return adsi_tx(tx.get(), p, n); });
}

} // namespace

LineAudioStep LineAudioStep::Silence(int ms) {
    LineAudioStep s;
    s.kind = Kind::Silence;
    s.nMs = ms;
    return s;
}

LineAudioStep LineAudioStep::Keys(std::string_view keys, int onMs, int levelDbm0) {
    LineAudioStep s;
    s.kind = Kind::Keys;
    s.sData = keys;
    s.nMs = onMs;
    s.nLevelDbm0 = levelDbm0;
    return s;
}

LineAudioStep LineAudioStep::FaxCallingTone(int ms) {
    LineAudioStep s;
    s.kind = Kind::FaxCallingTone;
    s.nMs = ms;
    return s;
}

LineAudioStep LineAudioStep::Tone(std::string_view rowName, int ms, int levelDbm0) {
    LineAudioStep s;
    s.kind = Kind::Tone;
    s.sData = rowName;
    s.nMs = ms;
    s.nLevelDbm0 = levelDbm0;
    return s;
}

LineAudioStep LineAudioStep::CallerIdFsk(std::string_view message, FskForm form) {
    LineAudioStep s;
    s.kind = Kind::CallerIdFsk;
    s.sData = message;
    s.form = form;
    return s;
}

LineAudioStep LineAudioStep::CallerIdKeys(std::string_view keys) {
    LineAudioStep s;
    s.kind = Kind::CallerIdKeys;
    s.sData = keys;
    return s;
}

std::vector<int16_t> SynthesiseLineAudio(std::span<const LineAudioStep> script) {
    std::vector<int16_t> out;
    for (const LineAudioStep& step : script) {
        if (step.nMs < 0)
            throw std::invalid_argument("negative duration in line sound script");
        switch (step.kind) {
        case LineAudioStep::Kind::Silence:
            out.insert(out.end(), static_cast<size_t>(step.nMs) * kSamplesPerMs, 0);
            break;
        case LineAudioStep::Kind::Keys:
            AddKeys(out, step);
            break;
        case LineAudioStep::Kind::FaxCallingTone:
            AddCallingTone(out, step.nMs);
            break;
        case LineAudioStep::Kind::Tone:
            AddTone(out, step);
            break;
        case LineAudioStep::Kind::CallerIdFsk:
            if (step.sData.size() < 2 || step.sData.size() > 255)
                throw std::invalid_argument("caller ID message of " +
                                            std::to_string(step.sData.size()) + " bytes");
            AddAdsi(out, step.form == FskForm::EtsiV23 ? ADSI_STANDARD_CLIP : ADSI_STANDARD_CLASS,
                    step.sData);
            break;
        case LineAudioStep::Kind::CallerIdKeys:
            CheckKeys(step.sData);
            if (step.sData.empty() || step.sData.size() > 255)
                throw std::invalid_argument("caller ID by keys of " +
                                            std::to_string(step.sData.size()) + " keys");
            AddAdsi(out, ADSI_STANDARD_CLIP_DTMF, step.sData);
            break;
        }
    }
    return out;
}
