#include "speech/Announcement.h"

#include "config/Settings.h"
#include "platform/CallerIdWords.h"
#include "platform/TextUtil.h"
#include "speech/SpeechPhrases.h"

#include <algorithm>

namespace {

void Add(std::string& out, const std::string& lead, const std::string& text = {}) {
    const std::string part = Trim(lead + " " + text);
    if (part.empty())
        return;
    if (!out.empty())
        out += ' ';
    out += part;
}

} // namespace

AnnounceSettings AnnounceSettings::From(const CPhoneSettings& s) {
    return {s.TTS_bEnable,  s.TTS_bIncoming, s.TTS_bName,     s.TTS_bNumber, s.TTS_bOnlyName,
            s.TTS_bSpellNA, s.TTS_times,     s.TTS_sIncoming, s.TTS_sName,   s.TTS_sNumber};
}

void AnnounceSettings::StoreTo(CPhoneSettings& s) const {
    s.TTS_bEnable = bEnable;
    s.TTS_bIncoming = bIncoming;
    s.TTS_bName = bName;
    s.TTS_bNumber = bNumber;
    s.TTS_bOnlyName = bOnlyName;
    s.TTS_bSpellNA = bSpellNA;
    s.TTS_times = nTimes;
    s.TTS_sIncoming = sIncoming;
    s.TTS_sName = sName;
    s.TTS_sNumber = sNumber;
}

int AnnounceTimes(const AnnounceSettings& s) {
    return std::clamp(s.nTimes, 1, 5);
}

std::string CallerAnnouncementText(const AnnounceSettings& s, const SpeechPhrases& p,
                                   const std::string& name, const std::string& number) {
    std::string caller;
    const bool bNameSaid = s.bName && !IsCallerIdPlaceholder(name);
    if (bNameSaid)
        Add(caller, s.sName, Trim(name));
    if (s.bNumber && !(s.bOnlyName && bNameSaid)) {
        const std::string digits = SpokenNumber(p, number);
        if (!digits.empty())
            Add(caller, s.sNumber, digits);
        else if (s.bSpellNA)
            Add(caller, s.sNumber, "N A");
    }
    if (caller.empty())
        return {};
    std::string out;
    if (s.bIncoming)
        Add(out, s.sIncoming);
    Add(out, caller);
    return out;
}
