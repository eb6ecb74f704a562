// What a blocked caller hears when told the number is not in service: the
// special information tones, three rising tones the network plays before
// such an announcement, which also make many autodiallers drop the number,
// then the announcement spoken in the user's language.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 913.8 Hz for 380 ms, 1370.6 Hz for 274 ms, 1776.7 Hz for 380 ms, at rate.
std::vector<int16_t> SpecialInformationTones(int rate = 8000);

// The tones and the announcement as a WAV file in the program folder's wave/
// (one a language, written when missing). When the announcement cannot be
// spoken, the tones alone, and *error says why; "" when nothing can be
// written, *error then says why.
std::string NotInServiceFile(std::string* error);
