// The challenge put to unknown and withheld callers: "To reach us, press N",
// N a digit drawn for each call; the right key takes a message as usual, a
// wrong or missing one hangs up.
#pragma once

#include <functional>
#include <string>

// The time the caller has for the key after the prompt.
constexpr int kChallengeWaitMs = 5000;

// The digit asked for: 0 to 9 from the system's random device.
int ChallengeDigit();
// Where ChallengeDigit draws from instead (an empty function: the random
// device again). For the tests, which must know the key.
void SetChallengeDigitSource(std::function<int()> source);

// The prompt for digit, spoken in the user's language, with the wait for the
// key after it, as a WAV file in the program folder's wave/ (written when
// missing); "" when it cannot be made, *error then says why.
std::string ChallengeFile(int digit, std::string* error);
