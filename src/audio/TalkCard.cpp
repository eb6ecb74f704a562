#include "audio/TalkCard.h"

#include "platform/TextUtil.h"

namespace {

std::string CardName(ISoundBackend& card, int nDevice, bool bCapture) {
    if (nDevice < 0)
        return "the default sound card";
    std::vector<SoundDeviceInfo> list = card.ListDevices(bCapture);
    if (static_cast<size_t>(nDevice) >= list.size())
        return StrPrintf("sound card %d", nDevice);
    return "the sound card \"" + list[static_cast<size_t>(nDevice)].sDescription + "\"";
}

std::string RateList() {
    std::string s;
    for (uint32_t rate : kTalkCardRates)
        s += (s.empty() ? "" : ", ") + std::to_string(rate);
    return s;
}

} // namespace

bool OpenTalkCard(ISoundBackend& card, int nCaptureDevice, int nPlaybackDevice, TalkCard& out,
                  std::string* pWhy) {
    out = TalkCard{};
    out.sName = CardName(card, nCaptureDevice, true);
    bool bRecords = false, bPlays = false;
    for (uint32_t rate : kTalkCardRates) {
        std::unique_ptr<ICaptureStream> mic = card.OpenCapture(nCaptureDevice, PcmFormat(rate));
        bRecords = bRecords || mic;
        if (!mic)
            continue;
        std::unique_ptr<IPlaybackStream> speaker =
            card.OpenPlayback(nPlaybackDevice, PcmFormat(rate));
        bPlays = bPlays || speaker;
        if (!speaker)
            continue;
        out.pMicrophone = std::move(mic);
        out.pSpeaker = std::move(speaker);
        out.nRate = rate;
        return true;
    }
    if (pWhy) {
        const std::string rates = RateList();
        if (!bRecords)
            *pWhy = out.sName + " cannot record: it opens at none of " + rates +
                    " samples/s (mono, 16 bits)";
        else if (!bPlays)
            *pWhy = CardName(card, nPlaybackDevice, false) + " cannot play: it opens at none of " +
                    rates + " samples/s (mono, 16 bits)";
        else
            *pWhy = out.sName + " cannot record and play at the same rate (tried " + rates +
                    " samples/s)";
    }
    return false;
}
