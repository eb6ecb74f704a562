// The USB telephone adapter's two choices, for the options' device page
// and the set-up wizard's adapter page, without widgets: the sound card on
// the line (sAdapterSoundCard) and the input device for the local phone's
// hook, its keypad and the ring (sAdapterInput), and what the user is told
// about them.
#pragma once

#include "adapter/AdapterInputs.h"

#include <string>
#include <vector>

class ISoundBackend;

// One entry of a choice: what the setting stores and what the user reads.
struct AdapterChoice {
    std::string sValue;
    std::string sText;
    bool operator==(const AdapterChoice&) const = default;
};

// sNone (value ""), then the sound cards the sound layer lists for capture,
// shown by description and stored by name; the value in use stays
// choosable while its card is away ("... - not present").
std::vector<AdapterChoice> SoundCardChoices(ISoundBackend& backend, const std::string& current,
                                            const std::string& sNone);
// The adapter's card: "None chosen" first.
std::vector<AdapterChoice> AdapterSoundCardChoices(ISoundBackend& backend,
                                                   const std::string& current);
// The card a call is talked at the PC through (sTalkSoundCard): "the
// desktop's default" first.
std::vector<AdapterChoice> TalkSoundCardChoices(ISoundBackend& backend,
                                                const std::string& current);
// Whether backend lists the card (by name or description) for both ways.
bool SoundCardListed(ISoundBackend& backend, const std::string& card);
// "None" (value ""), then the input devices found, shown by their evdev
// name with their device; the value in use stays choosable while away.
std::vector<AdapterChoice> AdapterInputChoices(const std::vector<AdapterInputDevice>& found,
                                               const std::string& current);

// What the page says under the input device: with none, exactly which
// events are then absent and which still come from the line's sound.
std::string AdapterInputNote(const std::string& input);
// When the simulated adapter's socket is set (VORELLA_ADAPTER_SOCKET), the
// note that it is used instead of the choices; "" otherwise.
std::string AdapterSimulatedNote();

// What keeps the adapter from opening with these choices: no card chosen,
// a card or an input device that is not there, an input device that cannot
// be read. Each is one clear line; none of them blocks saving (the adapter
// may be plugged in later), but the user is told why it will not open yet.
// Nothing while the simulated adapter stands in.
std::vector<std::string> AdapterChoiceWarnings(ISoundBackend& backend, const std::string& soundCard,
                                               const std::string& input);
