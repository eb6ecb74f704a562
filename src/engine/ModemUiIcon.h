// SPDX-License-Identifier: GPL-3.0-or-later
// The modem layer's message icons as the front end's.
#pragma once

#include "engine/UiBridge.h"
#include "modem/ModemUi.h"

inline MessageIcon BridgeIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::None:
        return MessageIcon::None;
    case MsgIcon::Information:
        return MessageIcon::Information;
    case MsgIcon::Question:
        return MessageIcon::Question;
    case MsgIcon::Exclamation:
        return MessageIcon::Exclamation;
    case MsgIcon::Error:
        return MessageIcon::Error;
    }
    return MessageIcon::None;
}
