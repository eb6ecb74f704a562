// What is said on the sound card when a caller rings: the user's words
// before the caller's name and number (TTS_* in [Options]), the number read
// digit by digit, and "N A" spelt for a caller whose ID is unavailable.
#pragma once

#include <string>

struct CPhoneSettings;
struct SpeechPhrases;

struct AnnounceSettings {
    bool bEnable = false;   // TTS_bEnable
    bool bIncoming = true;  // TTS_bIncoming: sIncoming first
    bool bName = true;      // TTS_bName: sName and the caller's name
    bool bNumber = true;    // TTS_bNumber: sNumber and the number
    bool bOnlyName = false; // TTS_bOnlyName: the number only when no name is said
    bool bSpellNA = true;   // TTS_bSpellNA: "N A" for an unavailable number
    int nTimes = 1;         // TTS_times
    std::string sIncoming;  // TTS_sIncoming ("Incoming call:")
    std::string sName;      // TTS_sName ("Caller is")
    std::string sNumber;    // TTS_sNumber ("Telephone number is")

    static AnnounceSettings From(const CPhoneSettings& s);
    void StoreTo(CPhoneSettings& s) const;
    bool operator==(const AnnounceSettings&) const = default;
};

// How often the announcement is said: TTS_times kept within 1 to 5.
int AnnounceTimes(const AnnounceSettings& s);

// The text said once for the caller (name and number as the caller ID gave
// them); "" when there is nothing to say.
std::string CallerAnnouncementText(const AnnounceSettings& s, const SpeechPhrases& p,
                                   const std::string& name, const std::string& number);
