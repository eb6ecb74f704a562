// One SIP stack (a liblinphone core) set up for a line: listening where
// the account says, G.711 only, touch-tone keys as RFC 4733 events, no
// video, no ring sounds of its own, registered with the account's
// registrar when it has one. Not started yet.
#pragma once

#include "sip/SipAccounts.h"

#include <memory>
#include <string>

namespace linphone {
class Core;
}
class CQueueSoundBackend;
class CSipLineSignals;

// sStateFolder holds the stack's own state; the calls' sound goes through
// device nSoundDevice of sound, and what the far end says to pSignals when
// set (both outlive the core). nullptr, with *pWhy set, when it cannot be
// made.
std::shared_ptr<linphone::Core> MakeSipCore(const SipAccount& account,
                                            const std::string& sStateFolder,
                                            CQueueSoundBackend& sound, int nSoundDevice,
                                            std::string* pWhy,
                                            CSipLineSignals* pSignals = nullptr);
