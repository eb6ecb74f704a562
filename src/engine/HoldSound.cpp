#include "engine/HoldSound.h"

#include "audio/VoiceCodec.h"
#include "config/VoiceFormat.h"
#include "platform/FileUtil.h"

namespace {

std::string ModemForm(const std::string& stem, const VoiceCodecSettings& modem) {
    return VoiceDataFile(stem, modem.nCompression, modem.nCompressionBS,
                         modem.nCompressionSampleRate);
}

} // namespace

std::string EnhancedHoldSound(const std::string& compressedHold, const std::string& waveHold,
                              const VoiceCodecSettings* pModem) {
    if (IsReadableFile(compressedHold))
        return compressedHold;
    if (pModem && !compressedHold.empty() && IsReadableFile(ModemForm(compressedHold, *pModem)))
        return ModemForm(compressedHold, *pModem);
    return IsReadableFile(waveHold) ? waveHold : std::string();
}

bool IsModemVoiceData(const std::string& file, const VoiceCodecSettings& modem) {
    const std::string suffix = ModemForm("", modem);
    return file.size() > suffix.size() && file.ends_with(suffix);
}
