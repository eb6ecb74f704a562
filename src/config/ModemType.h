// The modem type code: a few behaviours of the AT engine depend on which
// family of modem is attached, and the only thing we know for sure is the
// name the user (or the model detection) chose.
#pragma once

#include <string_view>

class CModemProfile;

// The type code for a modem name: 0, 10, 15, 20, 25, 30, 40, 70 or 100.
// The name is compared lower-cased; the first keyword found decides.
int ModemTypeFromName(std::string_view sModem);

// Derives the type code from sModem and stores it in the profile.
void TypeFromName(CModemProfile& profile, std::string_view sModem);
