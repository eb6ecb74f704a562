// Phrases built for speech, one table of words and patterns per language.
//
// espeak reads what it is given as a reader of prose would: "4930123456" as
// billions, "12.03." as a number. The line's phrases are therefore written
// out here: a telephone number digit by digit in words, a date and time as
// people say them, the count of new messages, a caller.
// Patterns name their parts in braces: {weekday}, {day}, {month}, {hour}
// (0-23), {hour12}, {minute}, {ampm}, {count}, {name}, {number}, {digit}.
#pragma once

#include <array>
#include <ctime>
#include <string>

struct SpeechPhrases {
    const char* language; // the voice's language ("en", "de")
    std::array<const char*, 10> digits;
    const char* plus;
    const char* star;
    const char* hash;
    std::array<const char*, 7> weekdays; // Sunday first, as struct tm counts
    std::array<const char*, 12> months;
    const char* dateTime;
    const char* dateTimeOnTheHour;
    const char* beforeMinuteBelowTen; // "3 oh 5"
    const char* am;
    const char* pm;
    const char* noNewMessages;
    const char* oneNewMessage;
    const char* newMessages;
    const char* fromName;
    const char* fromNumber;
    const char* fromUnknown;
    const char* challenge;
    const char* notInService;
    const char* message;    // "Message {count}": its number in the list
    const char* pinRequest; // remote access asks for the PIN
    const char* remoteHelp; // the remote menu's keys
};

// The table of the language ("de", "de_AT", "de-DE"); English for a language
// that has none.
const SpeechPhrases& PhrasesFor(const std::string& language);

// The table of the user's language (the first the locale asks for).
const SpeechPhrases& UserPhrases();

// "+49 30 1234" -> "plus four nine three zero one two three four".
std::string SpokenNumber(const SpeechPhrases& p, const std::string& number);
std::string SpokenDateTime(const SpeechPhrases& p, const std::tm& t);
std::string SpokenNewMessages(const SpeechPhrases& p, int count);
// "from Anna", or "from" and the number read digit by digit.
std::string SpokenCaller(const SpeechPhrases& p, const std::string& name,
                         const std::string& number);
std::string SpokenChallenge(const SpeechPhrases& p, int digit);
// A message of the remote menu before it plays: "Message 2, from Anna,
// Monday, March 12, at 3 15 PM" (the number digit by digit without a name).
std::string SpokenMessage(const SpeechPhrases& p, int nNumber, const std::string& name,
                          const std::string& number, const std::tm& t);
